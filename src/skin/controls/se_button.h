#pragma once

#include "skin/controls/se_paint.h"

#include <QPushButton>

enum TSeButtonState { kbsNormal, kbsPressed };

// A push button whose face, caption font and state come from the "Button" skin object.
class TSeSkinButton : public QPushButton, public TSeSkinControl
{
    Q_OBJECT
public:
    explicit TSeSkinButton(const QString& caption, QWidget* parent = nullptr);
    ~TSeSkinButton() override;

    bool ShowGlyph() const { return m_showGlyph; }
    void setShowGlyph(bool show);
    bool ShowCaption() const { return m_showCaption; }
    void setShowCaption(bool show);
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool wrap);
    bool ActiveDefault() const { return m_activeDefault; }
    void setActiveDefault(bool active);
    // Pressed while the button is held down (or set down).
    TSeButtonState State() const { return isDown() ? kbsPressed : kbsNormal; }
    void setState(TSeButtonState state) { setDown(state == kbsPressed); }

    // The state the face is drawn in: 8 disabled, 6 pressed, 5 under the mouse, 7 focused or active
    // default, else 0.
    int skinState() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void skinCopyTaken(TSeSkinObject* copy) override;
    void drawSkin(TSeCanvas& canvas) override;
    void drawSkinText(QPainter& painter) override;

private:
    bool m_showGlyph = true;
    bool m_showCaption = true;
    bool m_wordWrap = false;
    bool m_activeDefault = false;
};
