#include "skin/skin_hue.h"

#include <cmath>

namespace lanseek::skin {

namespace {

// Rounds to the nearest integer, ties to even (the default floating-point rounding mode).
int roundEven(float v)
{
    return int(std::nearbyint(v));
}

float channel(float p, float q, float t)
{
    t = t - std::floor(t);
    if (6.0f * t < 1.0f)
        return p + (q - p) * 6.0f * t;
    if (2.0f * t < 1.0f)
        return q;
    if (3.0f * t < 2.0f)
        return p + (q - p) * (2.0f / 3.0f - t) * 6.0f;
    return p;
}

int toByte(float v)
{
    const int n = roundEven(255.0f * v);
    return n < 0 ? 0 : n > 255 ? 255 : n;
}

} // namespace

QRgb shiftPixelHue(QRgb pixel, int delta)
{
    const float r = float(qRed(pixel)) / 255.0f;
    const float g = float(qGreen(pixel)) / 255.0f;
    const float b = float(qBlue(pixel)) / 255.0f;
    const float mx = std::max(r, std::max(g, b));
    const float mn = std::min(r, std::min(g, b));
    const float l = (mx + mn) / 2.0f;
    float h = 0.0f;
    float s = 0.0f;
    if (mx != mn) {
        const float d = mx - mn;
        s = l < 0.5f ? d / (mx + mn) : d / (2.0f - mx - mn);
        if (mx == r)
            h = (g - b) / d;
        else if (mx == g)
            h = 2.0f + (b - r) / d;
        else
            h = 4.0f + (r - g) / d;
        h = h / 6.0f;
        if (h < 0.0f)
            h += 1.0f;
    }
    int hue = delta + roundEven(h * 255.0f);
    // The skin format wraps by 255, not 256, in both directions.
    if (hue >= 256)
        hue -= 255;
    if (hue < 0)
        hue += 255;
    const float nh = float(hue) / 255.0f;
    int outR, outG, outB;
    if (s == 0.0f) {
        outR = outG = outB = toByte(l);
    } else {
        const float q = l > 0.5f ? l + s - l * s : l * (1.0f + s);
        const float p = 2.0f * l - q;
        outR = toByte(channel(p, q, nh + 1.0f / 3.0f));
        outG = toByte(channel(p, q, nh));
        outB = toByte(channel(p, q, nh - 1.0f / 3.0f));
    }
    return qRgba(outR, outG, outB, 255);
}

TColor shiftColorHue(TColor color, int delta)
{
    if (color == clNone)
        return color;
    return pixelToColor(shiftPixelHue(colorToPixel(color), delta));
}

void shiftBitmapHue(TSeBitmap& bitmap, int delta)
{
    const int w = bitmap.width();
    const int h = bitmap.height();
    for (int y = 0; y < h; ++y) {
        quint32* line = bitmap.scanLine(y);
        for (int x = 0; x < w; ++x) {
            if ((line[x] >> 24) != 0)
                line[x] = shiftPixelHue(line[x], delta);
        }
    }
}

} // namespace lanseek::skin
