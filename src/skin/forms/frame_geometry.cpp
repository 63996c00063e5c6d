#include "skin/forms/frame_geometry.h"

#include "skin/skin_objects.h"

#include <algorithm>
#include <cstdlib>

namespace lanseek::skin {

PlainFrameMetrics plainFrameMetrics(TSeBorderStyle style)
{
    switch (style) {
    case kbsNone:
        return {0, 0};
    case kbsToolWindow:
        return {3, 18};
    case kbsStandard:
        break;
    }
    return {};
}

QRect frameClientRect(TSeSkinObject* formTree, QSize windowSize, TSeBorderStyle style)
{
    const QRect whole(QPoint(0, 0), windowSize);
    if (style == kbsNone)
        return whole;
    if (formTree) {
        TSeSkinObject* client = formTree->findObjectByKind(skClient);
        if (!client)
            return whole;
        if (client->left() != 0 && client->top() != 0)
            return client->boundsRect();
    }
    const PlainFrameMetrics m = plainFrameMetrics(style);
    return QRect(m.border, m.border + m.caption, std::max(0, windowSize.width() - 2 * m.border),
                 std::max(0, windowSize.height() - 2 * m.border - m.caption));
}

std::vector<QRect> framePieces(QSize windowSize, const QRect& client)
{
    const QRect window(QPoint(0, 0), windowSize);
    if (window.isEmpty())
        return {};
    const QRect inner = client & window;
    if (inner.isEmpty())
        return {window};
    std::vector<QRect> pieces;
    const auto add = [&pieces](const QRect& piece) {
        if (!piece.isEmpty())
            pieces.push_back(piece);
    };
    add(QRect(0, 0, window.width(), inner.top()));
    add(QRect(0, inner.bottom() + 1, window.width(), window.height() - inner.bottom() - 1));
    add(QRect(0, inner.top(), inner.left(), inner.height()));
    add(QRect(inner.right() + 1, inner.top(), window.width() - inner.right() - 1, inner.height()));
    return pieces;
}

FrameZone zoneOfKind(TSeKind kind)
{
    switch (kind) {
    case skCaption:
    case skTitle:
        return FrameZone::Caption;
    case skLeft:
        return FrameZone::Left;
    case skTop:
        return FrameZone::Top;
    case skRight:
        return FrameZone::Right;
    case skBottom:
        return FrameZone::Bottom;
    case skTopLeft:
        return FrameZone::TopLeft;
    case skTopRight:
        return FrameZone::TopRight;
    case skBottomLeft:
        return FrameZone::BottomLeft;
    case skBottomRight:
        return FrameZone::BottomRight;
    case skSysButton:
        return FrameZone::CaptionButton;
    default:
        return FrameZone::Client;
    }
}

namespace {

bool isSizingZone(FrameZone zone)
{
    return zone != FrameZone::Client && zone != FrameZone::Caption && zone != FrameZone::CaptionButton;
}

} // namespace

FrameZone frameZoneAt(TSeSkinObject* formTree, const QPoint& point, const TSeFormDragging& dragging,
                      bool maximized, const QRect& grip)
{
    const bool canSize = dragging.Sizeable && !maximized;
    if (grip.contains(point))
        return canSize ? FrameZone::BottomRight : FrameZone::Client;
    if (!formTree)
        return FrameZone::Client;
    // A plain decoration inside a caption or an edge belongs to that part of the frame: the zone is the
    // kind of the nearest object that has one, up to the client object.
    FrameZone zone = FrameZone::Client;
    for (TSeSkinObject* o = formTree->objectAt(point); o; o = o->parent()) {
        if (o->Kind == skClient || o->Kind == skForm)
            break;
        zone = zoneOfKind(o->Kind);
        if (zone != FrameZone::Client)
            break;
    }
    if (zone == FrameZone::Caption && !dragging.Moveable)
        return FrameZone::Client;
    if (isSizingZone(zone) && !canSize)
        return FrameZone::Client;
    return zone;
}

QRect snapToArea(const QRect& window, const QRect& area, int size, int shadow)
{
    QRect r = window;
    const int areaRight = area.x() + area.width();
    const int areaBottom = area.y() + area.height();
    if (std::abs(r.x() - area.x()) < size)
        r.moveLeft(area.x());
    else if (std::abs(r.x() + r.width() - shadow - areaRight) < size)
        r.moveLeft(areaRight - r.width() + shadow);
    if (std::abs(r.y() - area.y()) < size)
        r.moveTop(area.y());
    else if (std::abs(r.y() + r.height() - shadow - areaBottom) < size)
        r.moveTop(areaBottom - r.height() + shadow);
    return r;
}

QSize frameMinimumSize(const TSeSizeConstraints& constraints)
{
    return {constraints.MinWidth > 0 ? constraints.MinWidth : kMinimumFrameSize.width(),
            constraints.MinHeight > 0 ? constraints.MinHeight : kMinimumFrameSize.height()};
}

QSize frameMaximumSize(const TSeSizeConstraints& constraints, const QSize& maximized)
{
    return {constraints.MaxWidth > 0 ? constraints.MaxWidth : maximized.width(),
            constraints.MaxHeight > 0 ? constraints.MaxHeight : maximized.height()};
}

namespace {

// One axis of a sizing drag: the start edge `low` and length, and which edge follows the mouse.
void resizeAxis(int& low, int& length, int delta, bool movesLow, bool movesHigh, int minimum, int maximum)
{
    const int high = low + length;
    if (movesLow) {
        int newLow = low + delta;
        newLow = std::min(newLow, high - minimum);
        if (maximum > 0)
            newLow = std::max(newLow, high - maximum);
        low = newLow;
        length = high - newLow;
    } else if (movesHigh) {
        int newLength = std::max(length + delta, minimum);
        if (maximum > 0)
            newLength = std::min(newLength, std::max(maximum, minimum));
        length = newLength;
    }
}

} // namespace

QRect resizedRect(const QRect& start, FrameZone zone, const QPoint& delta, const QSize& minimum,
                  const QSize& maximum)
{
    const bool left = zone == FrameZone::Left || zone == FrameZone::TopLeft || zone == FrameZone::BottomLeft;
    const bool right =
        zone == FrameZone::Right || zone == FrameZone::TopRight || zone == FrameZone::BottomRight;
    const bool top = zone == FrameZone::Top || zone == FrameZone::TopLeft || zone == FrameZone::TopRight;
    const bool bottom =
        zone == FrameZone::Bottom || zone == FrameZone::BottomLeft || zone == FrameZone::BottomRight;
    int x = start.x(), w = start.width(), y = start.y(), h = start.height();
    resizeAxis(x, w, delta.x(), left, right, minimum.width(), maximum.isValid() ? maximum.width() : 0);
    resizeAxis(y, h, delta.y(), top, bottom, minimum.height(), maximum.isValid() ? maximum.height() : 0);
    return QRect(x, y, w, h);
}

QRect maximizedRect(const QRect& workArea, const QRect& monitor, bool stayOnTop)
{
    const QRect base = stayOnTop ? QRect(0, 0, 10000, 10000) : workArea;
    return monitor.isValid() ? base.intersected(monitor) : base;
}

QRect rolledUpRect(const QRect& window, int clientHeight)
{
    return QRect(window.topLeft(), QSize(window.width(), std::max(0, window.height() - clientHeight)));
}

QRect minimizedRect(const QRect& window, int clientHeight, const QRect& area, int width)
{
    const int height = std::max(0, window.height() - clientHeight);
    return QRect(area.x(), area.y() + area.height() - height, width, height);
}

} // namespace lanseek::skin
