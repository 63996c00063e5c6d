#pragma once

// The window-state machine of a skinned frame: normal, maximized, minimized, rolled up to the caption,
// and hidden in the notification area. It decides; the frame carries the steps out on the window. Free
// of widgets, so every transition is tested alone.

#include "skin/forms/frame_types.h"

#include <QRect>

#include <vector>

namespace lanseek::skin {

// What the frame knows of the window when an operation runs.
struct FrameContext
{
    QRect window;         // the window's bounds now
    int clientHeight = 0; // the client area's height now
    QRect maximized;      // the maximized rectangle
    QRect workArea;       // where a window minimizes to when the application does not
    bool minimizeApplication = true;
    bool modal = false;
};

// One thing to do to the window, in order.
struct FrameStep
{
    enum class Kind {
        SetBounds,           // give the window `bounds`
        MinimizeApplication, // the application minimizes (iconifies its windows)
        RestoreApplication,  // the application comes back from minimized
        HideWindow,          // hide the window (it goes to the tray)
        ShowWindow,          // show the window and bring it to the foreground
        AddTrayIcon,
        RemoveTrayIcon,
    };
    Kind kind;
    QRect bounds;
    bool operator==(const FrameStep&) const = default;
};
using FrameSteps = std::vector<FrameStep>;

class FrameStateMachine
{
public:
    TSeWindowState state() const { return m_state; }
    TSeWindowState previousState() const { return m_previous; }
    // The normal bounds to come back to, taken from the window when it leaves the normal state.
    QRect savedBounds() const { return m_saved; }
    void setSavedBounds(const QRect& bounds) { m_saved = bounds; }

    // Each of these toggles: asked in its own state, it restores instead. A modal window neither
    // minimizes nor goes to the tray.
    FrameSteps maximize(const FrameContext& context);
    FrameSteps minimize(const FrameContext& context);
    FrameSteps rollUp(const FrameContext& context);
    FrameSteps minimizeToTray(const FrameContext& context);
    FrameSteps restore(const FrameContext& context);

    // The application (or the desktop) minimized or restored the window by itself: a window that is not
    // minimized or in the tray becomes minimized; a minimized one comes back as restore says, less the
    // application's own step.
    void noteApplicationMinimized(const FrameContext& context);
    FrameSteps noteApplicationRestored(const FrameContext& context);

    // The tree state that the frame's skin objects show for a window state: normal 0, maximized 2,
    // minimized 3, rolled up 4, tray 3.
    static int objectState(TSeWindowState state);

private:
    void leave(TSeWindowState next, const FrameContext& context);
    // Leaves the present state for one in which the window shows (its bounds are set next) and returns
    // the steps that bring it back first: out of the tray, or the minimized application restored.
    FrameSteps leaveForShown(TSeWindowState next, const FrameContext& context);
    void enterFromRestore(TSeWindowState target, const FrameContext& context, FrameSteps& steps);
    QRect rolledUp(const FrameContext& context) const;

    TSeWindowState m_state = kwsNormal;
    TSeWindowState m_previous = kwsNormal;
    QRect m_saved;
    int m_frameHeight = 0; // the caption band's height, kept for rolled-up bounds made while minimized
};

} // namespace lanseek::skin
