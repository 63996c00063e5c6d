#pragma once

#include "skin/objects/skin_values.h"

#include <QPoint>
#include <QRect>
#include <QRegion>

// Where an object draws: a bitmap, an offset added to every object coordinate, and an optional clip
// region in the bitmap's coordinates (empty means the whole bitmap).
struct TSeCanvas
{
    TSeBitmap* target = nullptr;
    QPoint offset;
    QRegion clip;

    explicit TSeCanvas(TSeBitmap* bitmap) : target(bitmap) {}
    void fillRect(const QRect& rect, TColor color) const;
    void drawBitmap(const QRect& targetRect, const TSeBitmap& source, const QRect& sourceRect,
                    TscTileStyle style, bool masked) const;
    void copyBitmap(const QPoint& at, const TSeBitmap& source, const QRect& sourceRect, bool masked) const;
};

namespace lanseek::skin {

// How a bitmap link is laid into a rectangle in nine parts: corner and edge sizes, the styles of the
// centre and of the edges, and which parts skip the transparent key.
struct NineParts
{
    int marginLeft = 0;
    int marginTop = 0;
    int marginRight = 0;
    int marginBottom = 0;
    TscTileStyle tileStyle = tsTile;
    TscTileStyle borderStyle = tsTile;
    bool masked = true;
    bool maskedBorder = true;
    bool maskedAngles = true;
};

// Draws a usable link into a rectangle: unscaled corners, edges in the border style and the centre in
// the main style; without any margin the whole link fills the rectangle.
void drawNineParts(const TSeCanvas& canvas, const QRect& bounds, const TSeBitmapLink& link,
                   const NineParts& parts);

// The region of all pixels of a bitmap that are not the transparent key, moved by an offset.
QRegion opaqueRegion(const TSeBitmap& bitmap, const QPoint& offset);

} // namespace lanseek::skin
