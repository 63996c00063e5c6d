#pragma once

#include "skin/se_bitmap.h"

#include <QByteArray>

namespace lanseek::skin {

// Reads a complete BMP file: uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel, with or without bit
// fields, bottom-up or top-down. Every pixel comes out with alpha 255. A damaged or unsupported file
// throws FormatError; a size beyond the bitmap limit throws BitmapAllocationError.
TSeBitmap readBmp(const QByteArray& file);

// Writes the bitmap as a 16-bit BMP with the bit fields red 0xF800, green 0x07E0, blue 0x001F; colours are
// cut to 5, 6 and 5 bits and alpha is dropped.
QByteArray writeBmp16(const TSeBitmap& bitmap);

} // namespace lanseek::skin
