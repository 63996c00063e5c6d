#pragma once

#include "skin/se_bitmap.h"
#include "skin/skin_types.h"

namespace lanseek::skin {

// Shifts the hue of one 0xAARRGGBB pixel by delta (in 1/255 turns) through single-precision HSL with the
// skin's 255 wrap; the result is opaque.
QRgb shiftPixelHue(QRgb pixel, int delta);
// Shifts a stored colour (system colours resolved first); clNone stays clNone.
TColor shiftColorHue(TColor color, int delta);
// Shifts every pixel whose alpha is nonzero.
void shiftBitmapHue(TSeBitmap& bitmap, int delta);

} // namespace lanseek::skin
