#include "skin/se_bitmap.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
std::atomic<int> g_maxSide{TSeBitmap::kDefaultMaxSide};
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

namespace {

bool nearColor(quint32 p, int b, int g, int r)
{
    return std::abs(int(p & 0xFF) - b) < 6 && std::abs(int((p >> 8) & 0xFF) - g) < 6 &&
           std::abs(int((p >> 16) & 0xFF) - r) < 6;
}

// Keys the pixels of one line that are near the colour; returns how many it did, a multiple of four.
// Four pixels at a time: the distance on each channel is a saturated difference each way, and a channel
// is near when that distance less five saturates to zero.
int keyNearFour(quint32* line, int count, quint32 colour)
{
#if defined(__SSE2__)
    const __m128i reference = _mm_set1_epi32(int(colour));
    const __m128i five = _mm_set1_epi32(0x00050505);
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    const __m128i key = _mm_set1_epi32(int(TSeBitmap::kKey));
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + x));
        const __m128i distance = _mm_or_si128(_mm_subs_epu8(p, reference), _mm_subs_epu8(reference, p));
        // Alpha is no part of the test: its byte is made to pass.
        const __m128i near = _mm_or_si128(_mm_cmpeq_epi8(_mm_subs_epu8(distance, five), zero), alpha);
        const __m128i all = _mm_cmpeq_epi32(near, _mm_set1_epi32(-1));
        const __m128i out = _mm_or_si128(_mm_and_si128(all, key), _mm_andnot_si128(all, p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(line + x), out);
    }
    return x;
#else
    (void)line;
    (void)count;
    (void)colour;
    return 0;
#endif
}

} // namespace

void TSeBitmap::keyNear(int red, int green, int blue)
{
    if (isEmpty())
        return;
    // The lines are reached from the first one: asking the picture for each would detach it every time.
    const int w = width();
    const int h = height();
    const qsizetype stride = m_image.bytesPerLine() / qsizetype(sizeof(quint32));
    const quint32 colour = quint32(blue) | (quint32(green) << 8) | (quint32(red) << 16);
    quint32* line = scanLine(0);
    for (int y = 0; y < h; ++y, line += stride) {
        for (int x = keyNearFour(line, w, colour); x < w; ++x) {
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

QImage TSeBitmap::takeOpaqueImage(quint32 background)
{
    const int w = width();
    const int h = height();
    const quint32 shown = background | 0xFF000000u;
    for (int y = 0; y < h; ++y) {
        quint32* __restrict line = scanLine(y);
        for (int x = 0; x < w; ++x)
            line[x] = isKey(line[x]) ? shown : (line[x] | 0xFF000000u);
    }
    QImage out = std::exchange(m_image, QImage());
    out.reinterpretAsFormat(QImage::Format_RGB32);
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
