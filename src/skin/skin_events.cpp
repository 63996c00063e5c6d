#include "skin/skin_events.h"

namespace lanseek::skin {

namespace {
QEvent::Type registered(int& slot)
{
    if (slot == 0)
        slot = QEvent::registerEventType();
    return QEvent::Type(slot);
}
int g_before = 0;
int g_after = 0;
int g_repaint = 0;
int g_frameQuery = 0;
} // namespace

QEvent::Type skinBeforeChangeEvent()
{
    return registered(g_before);
}
QEvent::Type skinAfterChangeEvent()
{
    return registered(g_after);
}
QEvent::Type skinRepaintEvent()
{
    return registered(g_repaint);
}
QEvent::Type skinFrameQueryEvent()
{
    return registered(g_frameQuery);
}

} // namespace lanseek::skin
