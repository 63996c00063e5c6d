#pragma once

// Conversions between the program's wide text and the 8-bit Chinese code page (GBK) in which it compares,
// cuts and writes text. "GBK" is converted as GB18030: every GBK character has the same bytes there, and
// every other character survives the round trip instead of being lost.

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lanseek::platform {

// Wide text to GBK bytes. Never fails: a character that cannot be converted (a lone surrogate) becomes '?'.
std::string toGbk(const QString& text);

// GBK bytes to wide text. Never fails: each byte that does not start a valid sequence becomes U+FFFD,
// as does a sequence cut short by the end of the input.
QString fromGbk(std::string_view bytes);

// Bytes in the named character set (a label as pages and HTTP headers write it, any case) to wide text.
// Undecodable bytes become U+FFFD; an empty or unknown name decodes as GBK.
QString decode(std::string_view bytes, const std::string& charset);

// Whether a charset label names something decode() understands other than through its GBK fallback.
bool isKnownCharset(const std::string& charset);

// Writes a generated text file: each line converted to GBK and followed by CR LF, the last one included.
// An existing file is replaced. Throws std::runtime_error naming the path when the file cannot be written.
void writeGbkLines(const std::filesystem::path& path, const std::vector<QString>& lines);

} // namespace lanseek::platform
