#include "skin/se_bitmap.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {
std::atomic<int> g_maxSide{TSeBitmap::kDefaultMaxSide};

bool nearColor(quint32 p, int b, int g, int r)
{
    return std::abs(int(p & 0xFF) - b) < 6 && std::abs(int((p >> 8) & 0xFF) - g) < 6 &&
           std::abs(int((p >> 16) & 0xFF) - r) < 6;
}
} // namespace

int TSeBitmap::maxSide()
{
    return g_maxSide.load();
}

void TSeBitmap::setMaxSide(int side)
{
    g_maxSide.store(side > 0 ? side : kDefaultMaxSide);
}

TSeBitmap::TSeBitmap(int width, int height, quint32 value)
{
    setSize(width, height, value);
}

void TSeBitmap::setSize(int width, int height, quint32 value)
{
    m_image = QImage();
    if (width <= 0 || height <= 0)
        return;
    if (width > maxSide() || height > maxSide())
        throw lanseek::skin::BitmapAllocationError();
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        throw lanseek::skin::BitmapAllocationError();
    image.fill(value);
    m_image = std::move(image);
}

void TSeBitmap::fill(quint32 value)
{
    if (!isEmpty())
        m_image.fill(value);
}

void TSeBitmap::keyNear(int red, int green, int blue)
{
    // The sizes are read once: asked for per pixel, they cost more than the test itself.
    const int w = width();
    const int h = height();
    for (int y = 0; y < h; ++y) {
        quint32* line = scanLine(y);
        for (int x = 0; x < w; ++x) {
            if (nearColor(line[x], blue, green, red))
                line[x] = kKey;
        }
    }
}

void TSeBitmap::keyMagenta()
{
    keyNear(0xFF, 0x00, 0xFF);
}

void TSeBitmap::keyNearKeyColor()
{
    keyNear(0x7F, 0x00, 0x7F);
}

void TSeBitmap::setOpaque()
{
    const int w = width();
    const int h = height();
    for (int y = 0; y < h; ++y) {
        quint32* line = scanLine(y);
        for (int x = 0; x < w; ++x)
            line[x] |= 0xFF000000u;
    }
}

void TSeBitmap::fillRect(const QRect& target, quint32 value, const QRect& clip)
{
    const QRect r = target & clip & rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        quint32* line = scanLine(y);
        std::fill(line + r.left(), line + r.left() + r.width(), value);
    }
}

void TSeBitmap::copyFrom(int x, int y, const TSeBitmap& source, const QRect& sourceRect, bool masked,
                         const QRect& clip)
{
    const QRect src = sourceRect & source.rect();
    if (src.isEmpty())
        return;
    // Keep the placement of the visible part of the source when the rectangle hung over its edges.
    const QRect placed(x + (src.left() - sourceRect.left()), y + (src.top() - sourceRect.top()), src.width(),
                       src.height());
    const QRect r = placed & clip & rect();
    for (int ty = r.top(); ty <= r.bottom(); ++ty) {
        const quint32* from = source.scanLine(src.top() + (ty - placed.top())) + src.left() - placed.left();
        quint32* to = scanLine(ty);
        if (!masked) {
            std::memcpy(to + r.left(), from + r.left(), size_t(r.width()) * 4);
            continue;
        }
        for (int tx = r.left(); tx <= r.right(); ++tx) {
            const quint32 p = from[tx];
            if (!isKey(p))
                to[tx] = p;
        }
    }
}

void TSeBitmap::drawStyled(const QRect& target, const TSeBitmap& source, const QRect& sourceRect,
                           TscTileStyle style, bool masked, const QRect& clip)
{
    if (target.isEmpty() || sourceRect.isEmpty() || source.isEmpty())
        return;
    const int sw = sourceRect.width();
    const int sh = sourceRect.height();
    if (style == tsCenter) {
        const int x = target.left() + (target.width() - sw) / 2;
        const int y = target.top() + (target.height() - sh) / 2;
        copyFrom(x, y, source, sourceRect, masked, clip & target);
        return;
    }
    const QRect r = target & clip & rect();
    if (r.isEmpty())
        return;
    const QRect sourceBounds = source.rect();
    const int tw = target.width();
    const int th = target.height();
    // The source column of every target column is worked out once; the rows then only look it up.
    thread_local std::vector<int> columns;
    columns.resize(size_t(r.width()));
    for (int tx = r.left(); tx <= r.right(); ++tx) {
        const int dx = tx - target.left();
        const int sx = sourceRect.left() + (style == tsTile ? dx % sw : int(qint64(dx) * sw / tw));
        columns[size_t(tx - r.left())] = (sx < 0 || sx >= sourceBounds.width()) ? -1 : sx;
    }
    int lastRow = -1;
    int lastSource = -1;
    for (int ty = r.top(); ty <= r.bottom(); ++ty) {
        const int dy = ty - target.top();
        const int sy = sourceRect.top() + (style == tsTile ? dy % sh : int(qint64(dy) * sh / th));
        if (sy < 0 || sy >= sourceBounds.height())
            continue;
        quint32* to = scanLine(ty) + r.left();
        // An unmasked row from the same source row as the row above is the row above again.
        if (!masked && sy == lastSource && lastRow == ty - 1) {
            std::memcpy(to, scanLine(lastRow) + r.left(), size_t(r.width()) * 4);
            lastRow = ty;
            continue;
        }
        lastRow = ty;
        lastSource = sy;
        const quint32* from = source.scanLine(sy);
        const int* map = columns.data();
        const int n = r.width();
        for (int i = 0; i < n; ++i) {
            const int sx = map[i];
            if (sx < 0)
                continue;
            const quint32 p = from[sx];
            if (!masked || !isKey(p))
                to[i] = p;
        }
    }
}

QImage TSeBitmap::toDisplayImage(QImage::Format format) const
{
    Q_ASSERT(format == QImage::Format_ARGB32 || format == QImage::Format_ARGB32_Premultiplied);
    // The sizes are read once: asked for per pixel, they cost more than the conversion itself.
    const int w = width();
    const int h = height();
    QImage out(w, h, format);
    for (int y = 0; y < h; ++y) {
        const quint32* __restrict from = scanLine(y);
        auto* __restrict to = reinterpret_cast<quint32*>(out.scanLine(y));
        for (int x = 0; x < w; ++x)
            to[x] = isKey(from[x]) ? 0u : (from[x] | 0xFF000000u);
    }
    return out;
}

QImage TSeBitmap::takeDisplayImage()
{
    const int w = width();
    const int h = height();
    for (int y = 0; y < h; ++y) {
        quint32* line = scanLine(y);
        for (int x = 0; x < w; ++x)
            line[x] = isKey(line[x]) ? 0u : (line[x] | 0xFF000000u);
    }
    QImage out = std::exchange(m_image, QImage());
    // Every pixel is opaque or zero, so the same bytes are a premultiplied picture as they stand.
    out.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    return out;
}

TSeBitmap TSeBitmap::fromImage(const QImage& image)
{
    TSeBitmap bitmap;
    const QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    bitmap.setSize(converted.width(), converted.height());
    const int w = bitmap.width();
    const int h = bitmap.height();
    for (int y = 0; y < h; ++y) {
        const auto* from = reinterpret_cast<const quint32*>(converted.constScanLine(y));
        quint32* to = bitmap.scanLine(y);
        for (int x = 0; x < w; ++x)
            to[x] = (from[x] >> 24) < 128 ? kKey : (from[x] | 0xFF000000u);
    }
    bitmap.keyMagenta();
    return bitmap;
}
