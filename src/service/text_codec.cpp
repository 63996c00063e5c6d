#include "service/text_codec.h"

#include "platform/text/gbk.h"

#include <QString>

#include <algorithm>
#include <iterator>
#include <utility>

namespace lanseek::service {
namespace {

// Length of the UTF-8 sequence starting at text[0] and its code point; 0 when the bytes there are not a
// well-formed sequence.
std::size_t utf8Sequence(std::string_view text, char32_t& codePoint)
{
    const auto b0 = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (b0 < 0x80) {
        codePoint = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        codePoint = b0 & 0x1F;
        minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        codePoint = b0 & 0x0F;
        minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        codePoint = b0 & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (b & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// Whether GB18030's two bytes for a character are also that character in GBK as pages have always been
// written here. GB18030 gives two-byte codes to the private-use characters of GBK's user-defined areas and
// to a few characters it added (vertical punctuation, a handful of letters, ideographic description
// characters and radicals); GBK has none of them, and pages name them by reference instead.
bool isGbkPair(std::string_view bytes, char32_t codePoint)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const auto trail = static_cast<unsigned char>(bytes[1]);
    if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE || trail == 0x7F) {
        return false; // four-byte sequences have a digit as their second byte
    }
    if (codePoint >= 0xE000 && codePoint <= 0xF8FF) {
        return false;
    }
    const unsigned code = (static_cast<unsigned>(lead) << 8) | trail;
    static constexpr std::pair<unsigned, unsigned> kAddedByGb18030[] = {
        {0xA6D9, 0xA6DF}, {0xA6EC, 0xA6ED}, {0xA6F3, 0xA6F3}, {0xA8BC, 0xA8BC},
        {0xA8BF, 0xA8BF}, {0xA989, 0xA995}, {0xFE50, 0xFEA0},
    };
    return std::none_of(std::begin(kAddedByGb18030), std::end(kAddedByGb18030),
                        [code](const auto& range) { return code >= range.first && code <= range.second; });
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::optional<std::string> gbkToUtf8(std::string_view gbk)
{
    // The shared codec never fails: it puts U+FFFD where bytes do not decode. Valid GB18030 survives a
    // round trip byte for byte, while every replacement comes back as other bytes, so the round trip
    // tells the two apart (also from a U+FFFD that the input really encodes).
    const QString text = platform::fromGbk(gbk);
    if (platform::toGbk(text) != gbk) {
        return std::nullopt;
    }
    return text.toStdString();
}

bool isValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        char32_t codePoint = 0;
        const std::size_t length = utf8Sequence(text, codePoint);
        if (length == 0) {
            return false;
        }
        text.remove_prefix(length);
    }
    return true;
}

std::string fileNameText(std::string_view bytes)
{
    if (isValidUtf8(bytes)) {
        return std::string(bytes);
    }
    if (auto text = gbkToUtf8(bytes)) {
        return *std::move(text);
    }
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString();
}

bool latin1TextIsGbk(std::string_view bytes)
{
    auto high = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
    if (std::none_of(bytes.begin(), bytes.end(), high)) {
        return false;
    }
    for (std::size_t i = 0; i < bytes.size();) {
        if (!high(bytes[i])) {
            ++i;
            continue;
        }
        if (i + 1 >= bytes.size()) {
            return false;
        }
        const std::string_view pair = bytes.substr(i, 2);
        const QString decoded = platform::fromGbk(pair);
        if (decoded.size() != 1 || !isGbkPair(pair, decoded.at(0).unicode()) ||
            decoded.at(0) == QChar::ReplacementCharacter) {
            return false;
        }
        i += 2;
    }
    auto asciiLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    auto latinLetter = [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0xC0 && b != 0xD7 && b != 0xF7;
    };
    // Could it be Western text instead? Every run of high bytes must then be one or two accented letters
    // written against a plain letter.
    for (std::size_t i = 0; i < bytes.size();) {
        if (!high(bytes[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < bytes.size() && high(bytes[end])) {
            ++end;
        }
        const bool letters = std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                                         bytes.begin() + static_cast<std::ptrdiff_t>(end), latinLetter);
        const bool touchesWord =
            (i > 0 && asciiLetter(bytes[i - 1])) || (end < bytes.size() && asciiLetter(bytes[end]));
        if (end - i > 2 || !letters || !touchesWord) {
            return true;
        }
        i = end;
    }
    return false;
}

std::string legacyTagText(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    if (latin1TextIsGbk(bytes)) {
        return platform::fromGbk(bytes).toStdString();
    }
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString();
}

std::string utf8ToGbkHtml(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size() + 16);
    auto appendReference = [&out](char32_t codePoint) {
        out += "&#" + std::to_string(static_cast<unsigned long>(codePoint)) + ";";
    };
    while (!utf8.empty()) {
        char32_t codePoint = 0;
        const std::size_t length = utf8Sequence(utf8, codePoint);
        if (length == 0) {
            appendReference(0xFFFD);
            utf8.remove_prefix(1);
            continue;
        }
        if (length == 1) {
            out += static_cast<char>(codePoint);
            utf8.remove_prefix(1);
            continue;
        }
        // GB18030 writes every GBK character with GBK's one or two bytes and needs four bytes for the
        // characters GBK lacks; those become references, so the page stays plain GBK.
        const std::string bytes =
            platform::toGbk(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(length)));
        if (codePoint == 0x20AC) {
            out += '\x80'; // GBK's one single-byte addition, the euro sign
        } else if (bytes.size() == 2 && isGbkPair(bytes, codePoint)) {
            out += bytes;
        } else {
            appendReference(codePoint);
        }
        utf8.remove_prefix(length);
    }
    return out;
}

std::string utf8ToGb18030(std::string_view utf8)
{
    // Runs of well-formed UTF-8 are converted whole; a byte that starts no sequence passes unchanged.
    std::string out;
    out.reserve(utf8.size() * 2);
    std::size_t runStart = 0;
    std::size_t at = 0;
    auto flush = [&](std::size_t end) {
        if (end > runStart) {
            out += platform::toGbk(
                QString::fromUtf8(utf8.data() + runStart, static_cast<qsizetype>(end - runStart)));
        }
    };
    while (at < utf8.size()) {
        char32_t codePoint = 0;
        const std::size_t length = utf8Sequence(utf8.substr(at), codePoint);
        if (length == 0) {
            flush(at);
            out += utf8[at];
            runStart = ++at;
            continue;
        }
        at += length;
    }
    flush(at);
    return out;
}

std::string percentDecode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string percentEncode(std::string_view bytes, std::string_view keep)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const bool unreserved = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                                b == '-' || b == '.' || b == '_' || b == '~';
        if (unreserved || (b < 0x80 && keep.find(c) != std::string_view::npos)) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

std::string htmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string foldCase(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toCaseFolded().toStdString();
}

std::string collapseWhitespace(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool pendingBlank = false;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F) {
            pendingBlank = !out.empty();
            continue;
        }
        if (pendingBlank) {
            out += ' ';
            pendingBlank = false;
        }
        out += c;
    }
    return out;
}

std::string asciiLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

} // namespace lanseek::service
