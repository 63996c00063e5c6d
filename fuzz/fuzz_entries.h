#pragma once

#include <cstddef>
#include <cstdint>

// Entry points shared by the libFuzzer targets and the corpus replay test. Each feeds one input to a
// reader and then uses what came out (copy, layout, drawing, regions, writing back), so that damage a
// reader lets through is caught where it would bite.
namespace lanseek::skin::fuzz {

// Prepares the process: an offscreen GUI application (text drawing needs one) and a small bitmap limit.
void initialise();

// First byte: 0 a framed compressed body, 1 raw content, 2 maximum-variant content; the rest is data.
void skinBody(const uint8_t* data, size_t size);
// A binary object form ("TPF0" ...).
void binaryForm(const uint8_t* data, size_t size);
// A BMP file.
void bmpFile(const uint8_t* data, size_t size);

} // namespace lanseek::skin::fuzz
