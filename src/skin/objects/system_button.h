#pragma once

#include "skin/objects/bitmap_objects.h"
#include "skin/skin_events.h"

// A caption button of a skinned window.
class TSeSystemButton : public TSeActiveBitmap
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    TSeAction Action = sbaNone;
    TSeBitmapLink BitmapHot;
    TSeBitmapLink BitmapPressed;

    enum MouseState { Idle = 0, Hot = 1, Pressed = 2 };
    int mouseState() const { return m_mouseState; }

    // Shows or hides the button for the window state (a lanseek::skin::FrameState) and the border
    // icons of the frame.
    void setState(int state) override;
    static TSeBorderIcon requiredIcon(TSeAction action, bool* needsIcon);

    void draw(const TSeCanvas& canvas) override;
    const TSeBitmapLink& currentLink() const override;
    void mouseEnter(Qt::MouseButtons held) override;
    void mouseLeave() override;
    void mouseDown(Qt::MouseButton button, const QPoint& at) override;
    void mouseMove(Qt::MouseButtons held, const QPoint& at) override;
    void mouseUp(Qt::MouseButton button, const QPoint& at) override;
    void dblClick() override;

    // The skinned frame of the window that shows the button, asked of the button's owner.
    lanseek::skin::SeFrameHost* frame() const;

private:
    void setMouseState(int state);
    void drawWindowIcon(const TSeCanvas& canvas) const;
    int m_mouseState = Idle;
};

namespace lanseek::skin {

inline constexpr PropertyEntry kSystemButtonProperties[] = {
    property::enumeration<&TSeSystemButton::Action>("Action", kActionNames),
    property::link<&TSeSystemButton::BitmapHot>("BitmapHot"),
    property::link<&TSeSystemButton::BitmapPressed>("BitmapPressed"),
};
inline constexpr PropertyTable kSystemButtonTable{"TSeSystemButton", &kActiveBitmapTable,
                                                  kSystemButtonProperties};

} // namespace lanseek::skin
