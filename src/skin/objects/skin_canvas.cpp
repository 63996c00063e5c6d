#include "skin/objects/skin_canvas.h"

#include <QList>

using namespace lanseek::skin;

void TSeCanvas::fillRect(const QRect& rect, TColor color) const
{
    const QRect r = rect.translated(offset);
    const quint32 pixel = colorToPixel(color);
    forEachClipRect(clip, target->rect(), [&](const QRect& c) { target->fillRect(r, pixel, c); });
}

void TSeCanvas::drawBitmap(const QRect& targetRect, const TSeBitmap& source, const QRect& sourceRect,
                           TscTileStyle style, bool masked) const
{
    const QRect r = targetRect.translated(offset);
    forEachClipRect(clip, target->rect(),
                    [&](const QRect& c) { target->drawStyled(r, source, sourceRect, style, masked, c); });
}

void TSeCanvas::copyBitmap(const QPoint& at, const TSeBitmap& source, const QRect& sourceRect,
                           bool masked) const
{
    const QPoint p = at + offset;
    forEachClipRect(clip, target->rect(),
                    [&](const QRect& c) { target->copyFrom(p.x(), p.y(), source, sourceRect, masked, c); });
}

namespace lanseek::skin {

namespace {

QRect fromEdges(int l, int t, int r, int b)
{
    return QRect(l, t, r - l, b - t);
}

} // namespace

void drawNineParts(const TSeCanvas& canvas, const QRect& bounds, const TSeBitmapLink& link,
                   const NineParts& parts)
{
    const TSeBitmap& src = *link.bitmap;
    const int L = boundCoordinate(link.Left), T = boundCoordinate(link.Top);
    const int R = boundCoordinate(link.Right), B = boundCoordinate(link.Bottom);
    const int ml = boundCoordinate(parts.marginLeft), mt = boundCoordinate(parts.marginTop);
    const int mr = boundCoordinate(parts.marginRight), mb = boundCoordinate(parts.marginBottom);
    const int X = bounds.left(), Y = bounds.top(), W = bounds.width(), H = bounds.height();
    if (ml == 0 && mt == 0 && mr == 0 && mb == 0) {
        canvas.drawBitmap(bounds, src, link.rect(), parts.tileStyle, parts.masked);
        return;
    }
    auto part = [&](const QRect& from, const QRect& to, TscTileStyle style, bool m) {
        if (!from.isEmpty() && !to.isEmpty())
            canvas.drawBitmap(to.translated(X, Y), src, from, style, m);
    };
    const TscTileStyle edge = parts.borderStyle;
    const bool maskedEdge = parts.maskedBorder;
    part(fromEdges(L + ml, T + mt, R - mr, B - mb), fromEdges(ml, mt, W - mr, H - mb), parts.tileStyle,
         parts.masked);
    part(fromEdges(L + ml, T, R - mr, T + mt), fromEdges(ml, 0, W - mr, mt), edge, maskedEdge);
    part(fromEdges(L + ml, B - mb, R - mr, B), fromEdges(ml, H - mb, W - mr, H), edge, maskedEdge);
    part(fromEdges(L, T + mt, L + ml, B - mb), fromEdges(0, mt, ml, H - mb), edge, maskedEdge);
    part(fromEdges(R - mr, T + mt, R, B - mb), fromEdges(W - mr, mt, W, H - mb), edge, maskedEdge);
    auto corner = [&](const QRect& from, int x, int y) {
        if (!from.isEmpty())
            canvas.copyBitmap(QPoint(X + x, Y + y), src, from, parts.maskedAngles);
    };
    corner(fromEdges(L, T, L + ml, T + mt), 0, 0);
    corner(fromEdges(R - mr, T, R, T + mt), W - mr, 0);
    corner(fromEdges(L, B - mb, L + ml, B), 0, H - mb);
    corner(fromEdges(R - mr, B - mb, R, B), W - mr, H - mb);
}

QRegion opaqueRegion(const TSeBitmap& bitmap, const QPoint& offset)
{
    // Each run of non-key pixels in a row becomes a one-pixel-high rectangle. Rows with exactly the same
    // runs as the row above extend its band instead, which gives the region its canonical banded form
    // (rows top to bottom, runs left to right) without any region arithmetic.
    QList<QRect> runs;
    QList<QRect> rowRuns;
    qsizetype bandStart = 0;
    for (int y = 0; y < bitmap.height(); ++y) {
        const quint32* line = bitmap.scanLine(y);
        rowRuns.clear();
        int x = 0;
        while (x < bitmap.width()) {
            while (x < bitmap.width() && TSeBitmap::isKey(line[x]))
                ++x;
            const int start = x;
            while (x < bitmap.width() && !TSeBitmap::isKey(line[x]))
                ++x;
            if (x > start)
                rowRuns.append(QRect(start + offset.x(), y + offset.y(), x - start, 1));
        }
        bool same = !rowRuns.isEmpty() && runs.size() - bandStart == rowRuns.size() &&
                    runs.value(bandStart).bottom() == y + offset.y() - 1;
        for (qsizetype i = 0; same && i < rowRuns.size(); ++i)
            same = runs[bandStart + i].left() == rowRuns[i].left() &&
                   runs[bandStart + i].width() == rowRuns[i].width();
        if (same) {
            for (qsizetype i = bandStart; i < runs.size(); ++i)
                runs[i].setHeight(runs[i].height() + 1);
        } else {
            bandStart = runs.size();
            runs.append(rowRuns);
        }
    }
    QRegion region;
    region.setRects(runs.constData(), int(runs.size()));
    return region;
}

} // namespace lanseek::skin
