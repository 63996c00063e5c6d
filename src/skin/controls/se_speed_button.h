#pragma once

#include "skin/controls/se_skinned_widget.h"

#include <QToolButton>

// A tool-bar button that never takes the focus. Flat buttons (the program's) show their face only
// while the mouse is over them or while they are pressed or down.
class TSeSkinSpeedButton : public lanseek::skin::SkinnedWidget<QToolButton>
{
    Q_OBJECT
public:
    explicit TSeSkinSpeedButton(const QString& caption, QWidget* parent = nullptr);

    bool Flat() const { return autoRaise(); }
    void setFlat(bool flat) { setAutoRaise(flat); }
    bool ShowChevron() const { return m_showChevron; }
    void setShowChevron(bool show) { setAndRepaint(m_showChevron, show); }
    // A speed button that is part of a spin button always draws the "Face" object.
    void setInSpinButton(bool inSpin) { m_inSpin = inSpin; }

    // Not flat: 6 pressed, 7 down, else 0. Flat: 6 pressed, 5 under the mouse, 7 down and not under
    // the mouse, else 0. Disabled: 8.
    int skinState() const;

protected:
    void skinCopyTaken(TSeSkinObject* copy) override;
    void drawSkin(TSeCanvas& canvas) override;
    void drawSkinText(QPainter& painter) override;
    std::optional<std::size_t> faceKey() const override;

private:
    TSeSkinObject* faceObject() const;
    QRect chevronRect() const;

    bool m_showChevron = false;
    bool m_inSpin = false;
};

// Two speed buttons, one above the other, that step a value up and down.
class TSeSkinSpinButton : public lanseek::skin::SkinnedWidget<QWidget, lanseek::skin::SkinnedPaint::Own>
{
    Q_OBJECT
public:
    explicit TSeSkinSpinButton(QWidget* parent = nullptr);

    TSeSkinSpeedButton* upButton() const { return m_up; }
    TSeSkinSpeedButton* downButton() const { return m_down; }
    // The engine goes to both buttons as well.
    void setSkinEngine(TSeSkinEngine* engine) override;

signals:
    void upClick();
    void downClick();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void drawSkin(TSeCanvas& canvas) override { (void)canvas; }
    bool paintsWholeControl() const override { return false; }

private:
    TSeSkinSpeedButton* m_up;
    TSeSkinSpeedButton* m_down;
};
