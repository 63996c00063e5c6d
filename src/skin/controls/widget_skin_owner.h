#pragma once

// The widget side of what skin objects need of the control that shows them: repaints, the skinned frame
// of the control's window and the control's reading direction, answered by a widget.

#include "skin/objects/skin_owner.h"

#include <QPointer>
#include <QWidget>

namespace lanseek::skin {

class WidgetSkinOwner final : public SkinOwner
{
public:
    explicit WidgetSkinOwner(QWidget* widget) : m_widget(widget) {}

    QWidget* widget() const { return m_widget; }

    // Sends the widget an SeRepaintEvent naming the object, so that a control or frame that paints
    // only some of its objects can tell which one changed.
    void repaintObject(TSeSkinObject* object) override;
    void repaintAll() override;
    // Asks the widget's window with an SeFrameQueryEvent.
    SeFrameHost* frameHost() const override;
    QPoint mapToScreen(const QPoint& point) const override;
    Qt::LayoutDirection layoutDirection() const override;

private:
    // The widget may go before the objects bound to it are freed (a frame window deleted with its
    // parent); the owner then answers as an absent control would.
    QPointer<QWidget> m_widget;
};

} // namespace lanseek::skin
