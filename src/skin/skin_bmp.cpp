#include "skin/skin_bmp.h"

#include <bit>
#include <cstring>

namespace lanseek::skin {

namespace {

quint32 u32At(const QByteArray& d, qint64 at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(d.constData() + at);
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

quint16 u16At(const QByteArray& d, qint64 at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(d.constData() + at);
    return quint16(p[0] | (p[1] << 8));
}

void putU16(QByteArray& d, quint16 v)
{
    d.append(char(v & 0xFF));
    d.append(char(v >> 8));
}

void putU32(QByteArray& d, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        d.append(char((v >> (8 * i)) & 0xFF));
}

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel
{
    quint32 mask = 0;
    int shift = 0;
    quint32 max = 0;

    explicit Channel(quint32 m) : mask(m)
    {
        if (m == 0)
            return;
        shift = std::countr_zero(m);
        max = m >> shift;
    }
    int value(quint32 pixel) const
    {
        if (max == 0)
            return 0;
        const quint64 v = (pixel & mask) >> shift;
        return int((v * 255 + max / 2) / max);
    }
};

[[noreturn]] void damaged(const char* what)
{
    throw FormatError(what);
}

} // namespace

TSeBitmap readBmp(const QByteArray& file)
{
    constexpr qint64 kFileHeader = 14;
    if (file.size() < kFileHeader + 12 || file[0] != 'B' || file[1] != 'M')
        damaged("not a BMP file");
    const quint32 pixelOffset = u32At(file, 10);
    const quint32 headerSize = u32At(file, kFileHeader);
    qint64 width = 0, height = 0;
    int bits = 0;
    quint32 compression = 0, paletteCount = 0;
    qint64 paletteAt = 0;
    int paletteEntry = 4;
    quint32 masks[3] = {0, 0, 0};
    if (headerSize == 12) {
        width = u16At(file, kFileHeader + 4);
        height = qint16(u16At(file, kFileHeader + 6));
        bits = u16At(file, kFileHeader + 10);
        paletteEntry = 3;
        paletteAt = kFileHeader + 12;
    } else if (headerSize >= 40 && headerSize <= 4096) {
        if (file.size() < kFileHeader + qint64(headerSize))
            damaged("truncated BMP header");
        width = qint32(u32At(file, kFileHeader + 4));
        height = qint32(u32At(file, kFileHeader + 8));
        bits = u16At(file, kFileHeader + 14);
        compression = u32At(file, kFileHeader + 16);
        paletteCount = u32At(file, kFileHeader + 32);
        paletteAt = kFileHeader + headerSize;
        if (compression == 3 || compression == 6) {
            if (headerSize >= 52) {
                for (int i = 0; i < 3; ++i)
                    masks[i] = u32At(file, kFileHeader + 40 + 4 * i);
            } else {
                if (file.size() < paletteAt + 12)
                    damaged("truncated BMP bit fields");
                for (int i = 0; i < 3; ++i)
                    masks[i] = u32At(file, paletteAt + 4 * i);
                paletteAt += 12;
            }
        } else if (compression != 0) {
            damaged("compressed BMP files are not supported");
        }
    } else {
        damaged("unknown BMP header");
    }
    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0)
        damaged("empty BMP picture");
    if (width > TSeBitmap::maxSide() || height > TSeBitmap::maxSide())
        throw BitmapAllocationError();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        damaged("unsupported BMP depth");

    QList<quint32> palette;
    if (bits <= 8) {
        const qint64 count = paletteCount == 0 || paletteCount > (1u << bits) ? (1 << bits) : paletteCount;
        if (paletteAt + count * paletteEntry > file.size())
            damaged("truncated BMP palette");
        for (qint64 i = 0; i < count; ++i) {
            const auto* p =
                reinterpret_cast<const unsigned char*>(file.constData() + paletteAt + i * paletteEntry);
            palette.append(0xFF000000u | (quint32(p[2]) << 16) | (quint32(p[1]) << 8) | p[0]);
        }
    }
    if (bits == 16 && masks[0] == 0 && masks[1] == 0 && masks[2] == 0) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    if (bits == 32 && masks[0] == 0 && masks[1] == 0 && masks[2] == 0) {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);

    const qint64 stride = ((width * bits + 31) / 32) * 4;
    if (pixelOffset > quint32(file.size()) || stride * height > file.size() - qint64(pixelOffset))
        damaged("truncated BMP pixels");

    TSeBitmap bitmap{int(width), int(height)};
    for (qint64 y = 0; y < height; ++y) {
        const qint64 row = topDown ? y : height - 1 - y;
        const auto* src =
            reinterpret_cast<const unsigned char*>(file.constData() + pixelOffset + row * stride);
        quint32* dst = bitmap.scanLine(int(y));
        for (qint64 x = 0; x < width; ++x) {
            quint32 out = 0;
            switch (bits) {
            case 1:
            case 4:
            case 8: {
                const qint64 bitPos = x * bits;
                const int byte = src[bitPos / 8];
                const int index = (byte >> (8 - bits - int(bitPos % 8))) & ((1 << bits) - 1);
                out = index < palette.size() ? palette[index] : 0xFF000000u;
                break;
            }
            case 16:
            case 32: {
                const quint32 px = bits == 16 ? quint32(src[x * 2] | (src[x * 2 + 1] << 8))
                                              : quint32(src[x * 4]) | (quint32(src[x * 4 + 1]) << 8) |
                                                    (quint32(src[x * 4 + 2]) << 16) |
                                                    (quint32(src[x * 4 + 3]) << 24);
                out = 0xFF000000u | (quint32(red.value(px)) << 16) | (quint32(green.value(px)) << 8) |
                      quint32(blue.value(px));
                break;
            }
            case 24:
                out = 0xFF000000u | (quint32(src[x * 3 + 2]) << 16) | (quint32(src[x * 3 + 1]) << 8) |
                      src[x * 3];
                break;
            }
            dst[x] = out;
        }
    }
    return bitmap;
}

QByteArray writeBmp16(const TSeBitmap& bitmap)
{
    const int width = bitmap.width();
    const int height = bitmap.height();
    const qint64 stride = ((qint64(width) * 16 + 31) / 32) * 4;
    constexpr quint32 kHeaders = 14 + 40 + 12;
    const qint64 imageSize = stride * height;
    QByteArray out;
    out.reserve(kHeaders + imageSize);
    out.append("BM");
    putU32(out, quint32(kHeaders + imageSize));
    putU32(out, 0);
    putU32(out, kHeaders);
    putU32(out, 40);
    putU32(out, quint32(width));
    putU32(out, quint32(height));
    putU16(out, 1);
    putU16(out, 16);
    putU32(out, 3); // bit fields
    putU32(out, quint32(imageSize));
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 0xF800);
    putU32(out, 0x07E0);
    putU32(out, 0x001F);
    const qint64 start = out.size();
    out.resize(start + imageSize);
    std::memset(out.data() + start, 0, size_t(imageSize));
    for (int y = 0; y < height; ++y) {
        const quint32* src = bitmap.scanLine(height - 1 - y);
        auto* dst = reinterpret_cast<unsigned char*>(out.data() + start + y * stride);
        for (int x = 0; x < width; ++x) {
            const quint32 p = src[x];
            const quint16 v = quint16(((p >> 19) & 0x1F) << 11 | ((p >> 10) & 0x3F) << 5 | ((p >> 3) & 0x1F));
            dst[x * 2] = quint8(v & 0xFF);
            dst[x * 2 + 1] = quint8(v >> 8);
        }
    }
    return out;
}

} // namespace lanseek::skin
