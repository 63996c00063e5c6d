#pragma once

#include "skin/skin_types.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QRegion>

// A skin bitmap: 32-bit, top-down, each pixel stored as blue, green, red, alpha. It lives in a QImage of
// Format_ARGB32, whose memory layout is exactly that, so text can be painted onto it with QPainter while
// the skin's own copy operations work on the raw pixels.
class TSeBitmap
{
public:
    static constexpr quint32 kKey = 0x007F007F;    // transparent key (alpha 0)
    static constexpr quint32 kKeyColor = 0x7F007F; // low 24 bits compared for transparency
    static constexpr int kDefaultMaxSide = 16384;

    TSeBitmap() = default;
    TSeBitmap(int width, int height, quint32 value = 0);

    // Sizes the bitmap to width x height pixels of `value` (zero unless given). Refuses sides beyond the
    // allocation limit by throwing BitmapAllocationError and leaving the bitmap empty; a zero side leaves
    // it empty.
    void setSize(int width, int height, quint32 value = 0);
    void clear() { m_image = QImage(); }

    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    bool isEmpty() const { return m_image.isNull(); }
    QRect rect() const { return QRect(0, 0, width(), height()); }

    const QByteArray& name() const { return m_name; }
    void setName(const QByteArray& name) { m_name = name; }

    QImage& image() { return m_image; }
    const QImage& image() const { return m_image; }
    quint32* scanLine(int y) { return reinterpret_cast<quint32*>(m_image.scanLine(y)); }
    const quint32* scanLine(int y) const
    {
        return reinterpret_cast<const quint32*>(m_image.constScanLine(y));
    }
    quint32 pixel(int x, int y) const { return scanLine(y)[x]; }
    void setPixel(int x, int y, quint32 value) { scanLine(y)[x] = value; }
    static bool isKey(quint32 pixel) { return (pixel & 0xFFFFFF) == kKeyColor; }

    void fill(quint32 value);

    // Pixels within 6 of pure magenta on each of blue, green and red become the key (raw records).
    void keyMagenta();
    // Pixels within 6 of the key colour become the key (BMP records, after alpha was set to 255).
    void keyNearKeyColor();
    void setOpaque();

    // Copy operations onto this bitmap. Every operation is clipped to `clip` (and to this bitmap);
    // masked operations skip source key pixels, unmasked ones copy them.
    void fillRect(const QRect& target, quint32 value, const QRect& clip);
    void copyFrom(int x, int y, const TSeBitmap& source, const QRect& sourceRect, bool masked,
                  const QRect& clip);
    void drawStyled(const QRect& target, const TSeBitmap& source, const QRect& sourceRect, TscTileStyle style,
                    bool masked, const QRect& clip);

    // Copies the bitmap with the key pixels transparent and every other pixel opaque, ready for a widget.
    // Every pixel is then either opaque or zero, which reads the same whether or not the format is
    // premultiplied: `format` is QImage::Format_ARGB32 or QImage::Format_ARGB32_Premultiplied.
    QImage toDisplayImage(QImage::Format format = QImage::Format_ARGB32) const;
    // The same picture made in the bitmap's own memory, which it hands over (premultiplied, as the
    // painter copies it fastest); the bitmap is left empty. Saves a second picture's worth of memory.
    QImage takeDisplayImage();
    // An opaque picture made in the bitmap's own memory, which it hands over (the bitmap is left empty):
    // key pixels become `background`, every other pixel is made opaque. The painter copies such a
    // picture line by line rather than blending it.
    QImage takeOpaqueImage(quint32 background);
    // Builds a bitmap from any picture: alpha below 128 becomes the key, near-magenta becomes the key.
    static TSeBitmap fromImage(const QImage& image);

    static int maxSide();
    // Lowers the allocation limit (fuzzing keeps hostile sizes cheap this way).
    static void setMaxSide(int side);

private:
    // Pixels within 6 of the colour on each of blue, green and red become the key.
    void keyNear(int red, int green, int blue);
    QByteArray m_name;
    QImage m_image;
};

namespace lanseek::skin {
// Every rectangle of `clip` in turn, or the whole target when the region is empty.
template <typename F> void forEachClipRect(const QRegion& clip, const QRect& bounds, F&& f)
{
    if (clip.isEmpty()) {
        f(bounds);
        return;
    }
    for (const QRect& r : clip) {
        const QRect c = r & bounds;
        if (!c.isEmpty())
            f(c);
    }
}
} // namespace lanseek::skin
