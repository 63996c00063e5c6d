#include "skin/forms/frame_state.h"

#include "skin/forms/frame_geometry.h"

namespace lanseek::skin {

namespace {

FrameStep bounds(const QRect& rect)
{
    return {FrameStep::Kind::SetBounds, rect};
}

FrameStep step(FrameStep::Kind kind)
{
    return {kind, {}};
}

} // namespace

int FrameStateMachine::objectState(TSeWindowState state)
{
    switch (state) {
    case kwsNormal:
        return 0;
    case kwsMaximized:
        return 2;
    case kwsMinimized:
    case kwsTray:
        return 3;
    case kwsRollup:
        return 4;
    }
    return 0;
}

void FrameStateMachine::leave(TSeWindowState next, const FrameContext& context)
{
    if (m_state == kwsNormal)
        m_saved = context.window;
    if (m_state == kwsNormal || m_state == kwsMaximized)
        m_frameHeight = context.window.height() - context.clientHeight;
    m_previous = m_state;
    m_state = next;
}

QRect FrameStateMachine::rolledUp(const FrameContext& context) const
{
    return rolledUpRect(context.window, context.clientHeight);
}

FrameSteps FrameStateMachine::leaveForShown(TSeWindowState next, const FrameContext& context)
{
    FrameSteps steps;
    const TSeWindowState from = m_state;
    leave(next, context);
    if (from == kwsTray)
        steps = {step(FrameStep::Kind::ShowWindow), step(FrameStep::Kind::RemoveTrayIcon)};
    else if (from == kwsMinimized && context.minimizeApplication)
        steps.push_back(step(FrameStep::Kind::RestoreApplication));
    return steps;
}

FrameSteps FrameStateMachine::maximize(const FrameContext& context)
{
    if (m_state == kwsMaximized)
        return restore(context);
    FrameSteps steps = leaveForShown(kwsMaximized, context);
    steps.push_back(bounds(context.maximized));
    return steps;
}

FrameSteps FrameStateMachine::minimize(const FrameContext& context)
{
    if (m_state == kwsMinimized)
        return restore(context);
    if (context.modal)
        return {};
    FrameSteps steps = leaveForShown(kwsMinimized, context);
    if (context.minimizeApplication)
        steps.push_back(step(FrameStep::Kind::MinimizeApplication));
    else
        steps.push_back(bounds(minimizedRect(context.window, context.clientHeight, context.workArea)));
    return steps;
}

FrameSteps FrameStateMachine::rollUp(const FrameContext& context)
{
    if (m_state == kwsRollup)
        return restore(context);
    FrameSteps steps = leaveForShown(kwsRollup, context);
    steps.push_back(bounds(rolledUp(context)));
    return steps;
}

FrameSteps FrameStateMachine::minimizeToTray(const FrameContext& context)
{
    if (m_state == kwsTray)
        return restore(context);
    if (context.modal)
        return {};
    leave(kwsTray, context);
    return {step(FrameStep::Kind::HideWindow), step(FrameStep::Kind::AddTrayIcon)};
}

void FrameStateMachine::enterFromRestore(TSeWindowState target, const FrameContext& context,
                                         FrameSteps& steps)
{
    switch (target) {
    case kwsMaximized:
        m_state = kwsMaximized;
        steps.push_back(bounds(context.maximized));
        return;
    case kwsRollup:
        m_state = kwsRollup;
        steps.push_back(
            bounds(QRect(context.window.topLeft(), QSize(m_saved.width(), std::max(0, m_frameHeight)))));
        return;
    default:
        m_state = kwsNormal;
        if (m_saved.isValid())
            steps.push_back(bounds(m_saved));
        return;
    }
}

void FrameStateMachine::noteApplicationMinimized(const FrameContext& context)
{
    if (m_state != kwsMinimized && m_state != kwsTray)
        leave(kwsMinimized, context);
}

FrameSteps FrameStateMachine::noteApplicationRestored(const FrameContext& context)
{
    if (m_state != kwsMinimized)
        return {};
    FrameSteps steps = restore(context);
    std::erase(steps, step(FrameStep::Kind::RestoreApplication));
    return steps;
}

FrameSteps FrameStateMachine::restore(const FrameContext& context)
{
    FrameSteps steps;
    switch (m_state) {
    case kwsNormal:
        if (m_saved.isValid())
            steps.push_back(bounds(m_saved));
        break;
    case kwsMaximized:
        if (m_previous == kwsRollup) {
            m_state = kwsNormal;
            if (m_saved.isValid())
                steps.push_back(bounds(m_saved));
            FrameContext normal = context;
            normal.window = m_saved.isValid() ? m_saved : context.window;
            normal.clientHeight = normal.window.height() - m_frameHeight;
            FrameSteps again = rollUp(normal);
            steps.insert(steps.end(), again.begin(), again.end());
        } else {
            // Also when the window was maximized from minimized: restore takes it to its normal bounds,
            // never back to maximized.
            m_state = kwsNormal;
            if (m_saved.isValid())
                steps.push_back(bounds(m_saved));
        }
        break;
    case kwsMinimized:
        if (context.minimizeApplication)
            steps.push_back(step(FrameStep::Kind::RestoreApplication));
        if (context.minimizeApplication && (m_previous == kwsMaximized || m_previous == kwsRollup)) {
            // The application kept the window's bounds while it was minimized.
            m_state = m_previous;
        } else {
            enterFromRestore(m_previous, context, steps);
        }
        break;
    case kwsRollup:
        if (context.window.width() == context.maximized.width() || m_previous == kwsMaximized) {
            m_state = kwsMaximized;
            steps.push_back(bounds(context.maximized));
        } else {
            m_state = kwsNormal;
            steps.push_back(bounds(
                QRect(context.window.topLeft(), m_saved.isValid() ? m_saved.size() : context.window.size())));
        }
        break;
    case kwsTray:
        steps = {step(FrameStep::Kind::ShowWindow), step(FrameStep::Kind::RemoveTrayIcon)};
        if (m_previous == kwsMinimized)
            enterFromRestore(kwsNormal, context, steps); // coming back from the tray shows the window
        else if (m_previous == kwsRollup || m_previous == kwsMaximized)
            m_state = m_previous; // the hidden window kept those bounds
        else
            enterFromRestore(kwsNormal, context, steps);
        break;
    }
    return steps;
}

} // namespace lanseek::skin
