#pragma once

#include "skin/controls/se_skinned_widget.h"

#include <QFrame>

#include <vector>

class QLabel;

// A status bar of fixed-width text panels, left to right. Skinned, the "StatusBar" object's "Frame"
// draws the bar, every panel is drawn over "Frame" and then "Panel" and written in the panel's font,
// and the size grip is its "Gripper" (shown only while the window can be resized).
class TSeSkinStatusBar : public lanseek::skin::SkinnedWidget<QFrame>
{
    Q_OBJECT
public:
    explicit TSeSkinStatusBar(const std::vector<int>& widths, QWidget* parent = nullptr);
    int panelCount() const { return static_cast<int>(m_panels.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    QLabel* panel(int index) const { return m_panels.at(index); }
    bool SizeGrip() const { return m_sizeGrip; }
    void setSizeGrip(bool grip) { setAndRepaint(m_sizeGrip, grip); }
    // Where the grip is drawn; empty when there is none to show.
    QRect gripRect() const;

protected:
    void skinChanged() override;
    void drawSkin(TSeCanvas& canvas) override;
    std::optional<std::size_t> faceKey() const override;
    bool drawsSkinText() const override { return false; }

private:
    std::vector<QLabel*> m_panels;
    bool m_sizeGrip = true;
    bool m_lookApplied = false;
};
