#pragma once

#include "skin/controls/se_paint.h"

#include <QToolButton>

// A tool-bar button that never takes the focus. Flat buttons (the program's) show their face only
// while the mouse is over them or while they are pressed or down.
class TSeSkinSpeedButton : public QToolButton, public TSeSkinControl
{
    Q_OBJECT
public:
    explicit TSeSkinSpeedButton(const QString& caption, QWidget* parent = nullptr);
    ~TSeSkinSpeedButton() override;

    bool Flat() const { return autoRaise(); }
    void setFlat(bool flat) { setAutoRaise(flat); }
    bool ShowChevron() const { return m_showChevron; }
    void setShowChevron(bool show);
    // A speed button that is part of a spin button always draws the "Face" object.
    void setInSpinButton(bool inSpin) { m_inSpin = inSpin; }

    // Not flat: 6 pressed, 7 down, else 0. Flat: 6 pressed, 5 under the mouse, 7 down and not under
    // the mouse, else 0. Disabled: 8.
    int skinState() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void skinCopyTaken(TSeSkinObject* copy) override;
    void drawSkin(TSeCanvas& canvas) override;
    void drawSkinText(QPainter& painter) override;

private:
    TSeSkinObject* faceObject() const;
    QRect chevronRect() const;

    bool m_showChevron = false;
    bool m_inSpin = false;
};

// Two speed buttons, one above the other, that step a value up and down.
class TSeSkinSpinButton : public QWidget, public TSeSkinControl
{
    Q_OBJECT
public:
    explicit TSeSkinSpinButton(QWidget* parent = nullptr);
    ~TSeSkinSpinButton() override;

    TSeSkinSpeedButton* upButton() const { return m_up; }
    TSeSkinSpeedButton* downButton() const { return m_down; }
    // The engine goes to both buttons as well.
    void setSkinEngine(TSeSkinEngine* engine) override;

signals:
    void upClick();
    void downClick();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void drawSkin(TSeCanvas& canvas) override { (void)canvas; }
    bool paintsWholeControl() const override { return false; }

private:
    TSeSkinSpeedButton* m_up;
    TSeSkinSpeedButton* m_down;
};
