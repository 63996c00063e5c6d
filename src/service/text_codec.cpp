#include "service/text_codec.h"

#include <QString>

#include <cerrno>
#include <iconv.h>
#include <memory>

namespace lanseek::service {
namespace {

struct IconvCloser
{
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle openIconv(const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return nullptr;
    }
    return IconvHandle(cd);
}

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
    auto cd = openIconv("UTF-8", "GB18030");
    if (!cd) {
        return std::nullopt;
    }
    std::string out;
    out.resize(gbk.size() * 4 + 4);
    char* in = const_cast<char*>(gbk.data());
    std::size_t inLeft = gbk.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &outPtr, &outLeft) ==
        static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    // A sequence cut short at the end is reported only when the state is flushed.
    if (iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, &outPtr, &outLeft) ==
        static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
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

std::string utf8ToGbkHtml(std::string_view utf8)
{
    auto cd = openIconv("GBK", "UTF-8");
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
        char buffer[8];
        char* in = const_cast<char*>(utf8.data());
        std::size_t inLeft = length;
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        if (cd && iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &outPtr, &outLeft) !=
                      static_cast<std::size_t>(-1)) {
            out.append(buffer, sizeof buffer - outLeft);
        } else {
            if (cd) {
                iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
            }
            appendReference(codePoint);
        }
        utf8.remove_prefix(length);
    }
    return out;
}

std::string utf8ToGb18030(std::string_view utf8)
{
    auto cd = openIconv("GB18030", "UTF-8");
    if (!cd) {
        return std::string(utf8);
    }
    std::string out;
    out.resize(utf8.size() * 2 + 8);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &outPtr, &outLeft) !=
            static_cast<std::size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            const std::size_t used = out.size() - outLeft;
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        // An invalid input byte: keep it and go on after it.
        if (outLeft == 0) {
            const std::size_t used = out.size();
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
        }
        *outPtr++ = *in++;
        --outLeft;
        --inLeft;
    }
    out.resize(out.size() - outLeft);
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
