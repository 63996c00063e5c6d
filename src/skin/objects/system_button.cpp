#include "skin/objects/system_button.h"

#include <QGuiApplication>
#include <QPainter>
#include <utility>

using namespace lanseek::skin;

const PropertyTable& TSeSystemButton::properties() const
{
    return kSystemButtonTable;
}

namespace {

// The border icon without which a window shows no button of that action; other actions always show.
constexpr std::pair<TSeAction, TSeBorderIcon> kRequiredIcons[] = {
    {sbaClose, kbiClose},       {sbaHelp, kbiHelp},        {sbaMinimize, kbiMinimize},
    {sbaMaximize, kbiMaximize}, {sbaRestore, kbiMaximize}, {sbaRollUp, kbiRollup},
    {sbaRollDown, kbiRollup},   {sbaTray, kbiTray},        {sbaSysMenu, kbiSystemMenu},
};

} // namespace

TSeBorderIcon TSeSystemButton::requiredIcon(TSeAction action, bool* needsIcon)
{
    for (const auto& [a, icon] : kRequiredIcons) {
        if (a == action) {
            *needsIcon = true;
            return icon;
        }
    }
    *needsIcon = false;
    return kbiClose;
}

void TSeSystemButton::setState(int state)
{
    TSeActiveBitmap::setState(state);
    bool show = true;
    switch (state) {
    case FrameNormal:
        show = Action != sbaRestore && Action != sbaRollDown;
        break;
    case FrameMaximized:
        show = Action != sbaMaximize && Action != sbaRollDown;
        break;
    case FrameMinimized:
        show = Action != sbaMinimize && Action != sbaMaximize && Action != sbaRollUp && Action != sbaRollDown;
        break;
    case FrameRolledUp:
        show = Action != sbaRestore && Action != sbaRollUp;
        break;
    default:
        break;
    }
    bool needsIcon = false;
    const TSeBorderIcon icon = requiredIcon(Action, &needsIcon);
    if (show && needsIcon) {
        if (SeFrameHost* host = frame())
            show = host->hasBorderIcon(icon);
    }
    setVisible(show);
}

SeFrameHost* TSeSystemButton::frame() const
{
    SkinOwner* o = owner();
    return o ? o->frameHost() : nullptr;
}

const TSeBitmapLink& TSeSystemButton::currentLink() const
{
    if (!active())
        return TSeActiveBitmap::currentLink();
    if (m_mouseState == Hot && BitmapHot.usable())
        return BitmapHot;
    if (m_mouseState == Pressed && BitmapPressed.usable())
        return BitmapPressed;
    return ActiveBitmap.usable() ? ActiveBitmap : Bitmap;
}

void TSeSystemButton::drawWindowIcon(const TSeCanvas& canvas) const
{
    // The frame knows the window's icon and the look's stand-in for it; a button drawn outside any
    // frame (a skin rendered on its own) shows the application's icon, if it has one.
    SeFrameHost* host = frame();
    QIcon icon = host ? host->menuButtonIcon() : QIcon();
    if (icon.isNull())
        icon = QGuiApplication::windowIcon();
    const int size = host ? host->menuButtonIconSize() : SeFrameHost::kMenuButtonIconSize;
    if (icon.isNull() || size <= 0)
        return;
    QPainter painter(&canvas.target->image());
    painter.translate(canvas.offset);
    if (!canvas.clip.isEmpty())
        painter.setClipRegion(canvas.clip.translated(-canvas.offset));
    icon.paint(&painter, QRect(left(), top(), size, size));
}

void TSeSystemButton::draw(const TSeCanvas& canvas)
{
    if (!visible() || width() <= 0 || height() <= 0)
        return;
    if (Action == sbaSysMenu) {
        drawWindowIcon(canvas);
        return;
    }
    // The glyphs on the button follow the mouse, and look disabled while the window is inactive.
    ControlState childState = StateNormal;
    if (!active())
        childState = StateDisabled;
    else if (m_mouseState == Hot)
        childState = StateHot;
    else if (m_mouseState == Pressed)
        childState = StatePressed;
    for (int i = 0; i < childCount(); ++i)
        child(i)->setState(childState);
    TSeBitmapObject::draw(canvas);
}

void TSeSystemButton::setMouseState(int state)
{
    if (state == m_mouseState)
        return;
    m_mouseState = state;
    invalidate();
}

void TSeSystemButton::mouseEnter(Qt::MouseButtons held)
{
    setMouseState(held & Qt::LeftButton ? Pressed : Hot);
}

void TSeSystemButton::mouseLeave()
{
    setMouseState(Idle);
}

void TSeSystemButton::mouseDown(Qt::MouseButton button, const QPoint&)
{
    if (button == Qt::LeftButton)
        setMouseState(Pressed);
}

void TSeSystemButton::mouseMove(Qt::MouseButtons held, const QPoint&)
{
    if ((held & Qt::LeftButton) && m_mouseState == Pressed)
        return;
    if (SeFrameHost* host = frame())
        host->showFrameHint(owner()->mapToScreen(QPoint(left(), top())));
}

void TSeSystemButton::mouseUp(Qt::MouseButton button, const QPoint&)
{
    if (button != Qt::LeftButton || m_mouseState != Pressed)
        return;
    setMouseState(Hot);
    if (SeFrameHost* host = frame())
        host->runFrameAction(Action, this);
}

void TSeSystemButton::dblClick()
{
    if (Action != sbaSysMenu)
        return;
    if (SeFrameHost* host = frame())
        host->runFrameAction(sbaClose, this);
}
