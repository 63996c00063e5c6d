#pragma once

namespace lanseek::skin {

// The states a control gives the skin objects it draws, set on the whole tree at once. The numbers are
// the ones skin objects have always carried in their state field, so they stay as they are.
enum ControlState : int {
    StateNormal = 0,
    StateHot = 5,      // the mouse is over the control
    StatePressed = 6,  // the mouse button is held on it
    StateFocused = 7,  // it has the focus, or it is the default button
    StateDisabled = 8, // it is disabled
};

// The skinned window frame sets the state of its object tree from the window state instead; caption
// buttons show and hide by it. A window hidden in the notification area counts as minimised.
enum FrameState : int {
    FrameNormal = 0,
    FrameMaximized = 2,
    FrameMinimized = 3,
    FrameRolledUp = 4,
};

// The value that belongs to a control state: one of the four state values, or the normal one for any
// other state.
template <typename T> const T& forState(int state, const T& normal, const T& hot, const T& pressed,
                                        const T& focused, const T& disabled)
{
    switch (state) {
    case StateHot:
        return hot;
    case StatePressed:
        return pressed;
    case StateFocused:
        return focused;
    case StateDisabled:
        return disabled;
    default:
        return normal;
    }
}

} // namespace lanseek::skin
