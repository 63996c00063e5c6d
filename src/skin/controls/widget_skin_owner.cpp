#include "skin/controls/widget_skin_owner.h"

#include "skin/skin_events.h"

#include <QCoreApplication>

namespace lanseek::skin {

void WidgetSkinOwner::repaintObject(TSeSkinObject* object)
{
    if (!m_widget)
        return;
    SeRepaintEvent event(object);
    QCoreApplication::sendEvent(m_widget, &event);
}

void WidgetSkinOwner::repaintAll()
{
    if (m_widget)
        m_widget->update();
}

SeFrameHost* WidgetSkinOwner::frameHost() const
{
    if (!m_widget)
        return nullptr;
    SeFrameQueryEvent query;
    QCoreApplication::sendEvent(m_widget->window(), &query);
    return query.frame;
}

QPoint WidgetSkinOwner::mapToScreen(const QPoint& point) const
{
    return m_widget ? m_widget->mapToGlobal(point) : point;
}

Qt::LayoutDirection WidgetSkinOwner::layoutDirection() const
{
    return m_widget ? m_widget->layoutDirection() : Qt::LeftToRight;
}

} // namespace lanseek::skin
