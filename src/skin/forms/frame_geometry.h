#pragma once

// The skinned frame's geometry, apart from painting: where the client area lies, which zone a point is
// in, how a dragged window snaps to the work area, how sizing follows the mouse, and the rectangles of
// the maximized, rolled-up and minimized states. All in pixels; window coordinates unless said.

#include "skin/forms/frame_types.h"

#include <QPoint>
#include <QRect>

#include <vector>

class TSeSkinObject;

namespace lanseek::skin {

// The plain frame a window gets when no skin is available (and for kbsNone, none at all).
struct PlainFrameMetrics
{
    int border = 4;
    int caption = 22;
};
PlainFrameMetrics plainFrameMetrics(TSeBorderStyle style);

// The client rectangle in window coordinates for a window of the given size. With a form object: the
// client object's bounds when it exists with left and top both nonzero; the whole window when the
// object has no client object; the plain frame's inner rectangle otherwise. The form tree must already
// be laid out to the window's size. Without a form object (or for kbsNone): the plain frame's.
QRect frameClientRect(TSeSkinObject* formTree, QSize windowSize, TSeBorderStyle style);

// The parts of a window of the given size that lie outside its client rectangle, which the owner
// covers: the bands above and below it across the whole width, then the edges left and right of it.
// Empty parts are left out; a client rectangle with nothing inside the window leaves the whole window.
std::vector<QRect> framePieces(QSize windowSize, const QRect& client);

// The zone an object kind stands for.
FrameZone zoneOfKind(TSeKind kind);

// The zone a point of the window is in, after the dragging rules: the caption counts only when the
// window is moveable, edges and corners only when it is sizeable and not maximized; `grip` (window
// coordinates, may be empty) is the size grip of a status bar, which counts as the bottom-right corner.
FrameZone frameZoneAt(TSeSkinObject* formTree, const QPoint& point, const TSeFormDragging& dragging,
                      bool maximized, const QRect& grip = {});

// Moves a window rectangle so that an edge closer than `size` pixels to the matching edge of `area`
// lies on it: left before right, top before bottom; the right and bottom edges are measured less the
// shadow size.
QRect snapToArea(const QRect& window, const QRect& area, int size, int shadow = 0);

// The smallest and largest size the window may be dragged to.
QSize frameMinimumSize(const TSeSizeConstraints& constraints);
QSize frameMaximumSize(const TSeSizeConstraints& constraints, const QSize& maximized);

// The rectangle a window takes when the edges of a zone follow the mouse by `delta` from `start`. The
// left and top edges stop where the window would become smaller than `minimum`; the right and bottom
// edges keep at least `minimum` too. Neither grows past `maximum` (empty: no limit).
QRect resizedRect(const QRect& start, FrameZone zone, const QPoint& delta, const QSize& minimum,
                  const QSize& maximum = {});

// The maximized rectangle: the work area (the whole 10000 × 10000 range for a window that stays on
// top) intersected with the window's monitor.
QRect maximizedRect(const QRect& workArea, const QRect& monitor, bool stayOnTop);
// The rolled-up rectangle: the window's width by the frame's height at the window's position.
QRect rolledUpRect(const QRect& window, int clientHeight);
// The minimized rectangle of a window that minimizes by itself: `width` by the frame's height at x 0
// (of the area) with its bottom on the area's bottom.
QRect minimizedRect(const QRect& window, int clientHeight, const QRect& area, int width = 160);

} // namespace lanseek::skin
