#pragma once

// Text conversions at the service's edge: the wire speaks GBK and percent-encoding, the index keeps UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace lanseek::service {

// GBK bytes (read as GB18030, which agrees with GBK on every GBK character) to UTF-8; nothing when the
// bytes are not valid in that encoding.
std::optional<std::string> gbkToUtf8(std::string_view gbk);

// Text from a file name, whose bytes the file system does not interpret: UTF-8 as it stands; otherwise
// GB18030 (names unpacked from Chinese Windows archives keep their GBK bytes) when the bytes decode as
// such; otherwise Latin-1. The result is always valid UTF-8.
std::string fileNameText(std::string_view bytes);

// Whether text that declares itself Latin-1 (ID3v1, ID3v2 frames with text encoding 0) really holds GBK,
// as most Chinese MP3 collections are tagged. Plain ASCII is not GBK. Otherwise the bytes must decode as
// two-byte GBK characters outside the private-use areas, and must not read as Western text: Latin-1 names
// have their accented letters alone or in pairs beside plain letters ("Café", "Müller", "Canção"), while
// Chinese text runs its high bytes together and often holds bytes that are no Latin-1 letter.
bool latin1TextIsGbk(std::string_view bytes);

// The text of a "Latin-1" tag field in UTF-8: read as GB18030 when latin1TextIsGbk() says so, else as
// Latin-1. The field ends at its first NUL byte.
std::string legacyTagText(std::string_view bytes);

// True when the bytes form well-formed UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF).
bool isValidUtf8(std::string_view text);

// UTF-8 text to GBK for a page. Characters GBK cannot hold become HTML numeric character references, so
// the page stays plain GBK while nothing of a name is lost. Invalid UTF-8 bytes become U+FFFD references.
std::string utf8ToGbkHtml(std::string_view utf8);

// UTF-8 text to GB18030 bytes (GBK bytes for every character GBK has), for words placed into query
// addresses; invalid input bytes pass through unchanged.
std::string utf8ToGb18030(std::string_view utf8);

// Decodes %XX escapes into bytes. '+' stays a '+': the program puts words into addresses unescaped, so a
// '+' in a query is a plus sign typed by the user. A '%' not followed by two hex digits stays as it is.
std::string percentDecode(std::string_view text);

// Escapes every byte outside the unreserved set (letters, digits, "-._~") and outside `keep`.
std::string percentEncode(std::string_view bytes, std::string_view keep = {});

// Escapes the five characters that matter in HTML text and attribute values.
std::string htmlEscape(std::string_view text);

// A case-folded copy of UTF-8 text, for case-insensitive substring matching of any script.
std::string foldCase(std::string_view utf8);

// Collapses runs of white space to one blank and trims both ends, as a browser shows text.
std::string collapseWhitespace(std::string_view text);

// ASCII lower case.
std::string asciiLower(std::string_view text);

} // namespace lanseek::service
