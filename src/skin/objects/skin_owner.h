#pragma once

#include <QPoint>
#include <Qt>

class TSeSkinObject;

namespace lanseek::skin {

class SeFrameHost;

// What a skin object needs of the control that shows it. The object model builds without widgets, so a
// control lends the objects of its copy this view of itself rather than its widget; the widget layer
// implements it. An owner outlives every object bound to it.
class SkinOwner
{
public:
    virtual ~SkinOwner() = default;

    // The part of the control that shows the object must be painted again.
    virtual void repaintObject(TSeSkinObject* object) = 0;
    // The whole control must be painted again.
    virtual void repaintAll() = 0;
    // The skinned frame of the window the control lies in, or nullptr when it has none.
    virtual SeFrameHost* frameHost() const = 0;
    // A point in the control's coordinates, in screen coordinates.
    virtual QPoint mapToScreen(const QPoint& point) const = 0;
    // The control's reading direction, which the objects' texts follow.
    virtual Qt::LayoutDirection layoutDirection() const = 0;
};

} // namespace lanseek::skin
