#pragma once

#include "skin/controls/se_skinned_widget.h"

#include <QPushButton>

enum TSeButtonState { kbsNormal, kbsPressed };

// A push button whose face, caption font and state come from the "Button" skin object.
class TSeSkinButton : public lanseek::skin::SkinnedWidget<QPushButton>
{
    Q_OBJECT
public:
    explicit TSeSkinButton(const QString& caption, QWidget* parent = nullptr);

    bool ShowGlyph() const { return m_showGlyph; }
    void setShowGlyph(bool show) { setAndRepaint(m_showGlyph, show); }
    bool ShowCaption() const { return m_showCaption; }
    void setShowCaption(bool show) { setAndRepaint(m_showCaption, show); }
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool wrap) { setAndRepaint(m_wordWrap, wrap); }
    bool ActiveDefault() const { return m_activeDefault; }
    void setActiveDefault(bool active) { setAndRepaint(m_activeDefault, active); }
    // Pressed while the button is held down (or set down).
    TSeButtonState State() const { return isDown() ? kbsPressed : kbsNormal; }
    void setState(TSeButtonState state) { setDown(state == kbsPressed); }

    // The state the face is drawn in: 8 disabled, 6 pressed, 5 under the mouse, 7 focused or active
    // default, else 0.
    int skinState() const;

protected:
    void skinCopyTaken(TSeSkinObject* copy) override;
    void drawSkin(TSeCanvas& canvas) override;
    void drawSkinText(QPainter& painter) override;
    std::optional<std::size_t> faceKey() const override;

private:
    bool m_showGlyph = true;
    bool m_showCaption = true;
    bool m_wordWrap = false;
    bool m_activeDefault = false;
};
