#pragma once

#include "skin/controls/se_skinned_widget.h"

#include <QComboBox>

class TSeSkinListBox;

// A drop-down chooser framed by the "ComboBox" object's "Frame", with its "Button" at the right (as
// wide as the "Button" object) and the current entry in its "Text" font. The drop-down list is a
// skinned list box on the same engine.
class TSeSkinComboBox : public lanseek::skin::SkinnedWidget<QComboBox>
{
    Q_OBJECT
public:
    explicit TSeSkinComboBox(QWidget* parent = nullptr);

    void setSkinEngine(TSeSkinEngine* engine) override;
    TSeSkinListBox* listBox() const { return m_list; }

    // 8 disabled, 5 under the mouse, 7 focused or open, else 0.
    int skinState() const;
    // The button's own state: 8 disabled, 6 while open, 5 under the mouse over the button, else 0.
    int buttonState() const;
    // Where the button is drawn (empty when the skin has no "Button").
    QRect buttonRect() const;

protected:
    void showPopup() override;
    void hidePopup() override;
    void drawSkin(TSeCanvas& canvas) override;
    void drawSkinText(QPainter& painter) override;

private:
    TSeSkinListBox* m_list;
    bool m_open = false;
};
