#include "platform/net/http_reply.h"

#include <limits>

namespace lanseek::platform {

namespace {

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

// Reads a run of decimal digits from the front of text, refusing overflow of a signed 64-bit value.
std::optional<std::int64_t> takeNumber(std::string_view& text)
{
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::size_t used = 0;
    std::int64_t value = 0;
    while (used < text.size() && text[used] >= '0' && text[used] <= '9') {
        const int digit = text[used] - '0';
        if (value > (kMax - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
        ++used;
    }
    if (used == 0) {
        return std::nullopt;
    }
    text.remove_prefix(used);
    return value;
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string RequestRange::boundsText() const
{
    if (empty()) {
        return {};
    }
    std::string out = std::to_string(start) + '-';
    if (end != 0) {
        out += std::to_string(end);
    }
    return out;
}

std::optional<StatusLine> parseStatusLine(std::string_view line)
{
    line = trimBlanks(line);
    if (line.size() < 10 || line.substr(0, 5) != "HTTP/") {
        return std::nullopt;
    }
    const auto space = line.find(' ');
    if (space == std::string_view::npos || space + 4 > line.size()) {
        return std::nullopt;
    }
    int code = 0;
    for (std::size_t i = space + 1; i < space + 4; ++i) {
        if (line[i] < '0' || line[i] > '9') {
            return std::nullopt;
        }
        code = code * 10 + (line[i] - '0');
    }
    if (space + 4 < line.size() && line[space + 4] != ' ') {
        return std::nullopt;
    }
    return StatusLine{std::string(line), code};
}

std::optional<std::int64_t> parseContentLength(std::string_view value)
{
    value = trimBlanks(value);
    const auto number = takeNumber(value);
    if (!number || !value.empty()) {
        return std::nullopt;
    }
    return number;
}

std::optional<ContentRange> parseContentRange(std::string_view value)
{
    value = trimBlanks(value);
    constexpr std::string_view kUnit = "bytes";
    if (value.size() <= kUnit.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kUnit.size(); ++i) {
        if (lowerAscii(value[i]) != kUnit[i]) {
            return std::nullopt;
        }
    }
    value.remove_prefix(kUnit.size());
    if (value.front() != ' ') {
        return std::nullopt;
    }
    value = trimBlanks(value);

    ContentRange range;
    const auto first = takeNumber(value);
    if (!first || value.empty() || value.front() != '-') {
        return std::nullopt;
    }
    value.remove_prefix(1);
    const auto last = takeNumber(value);
    if (!last || value.empty() || value.front() != '/') {
        return std::nullopt;
    }
    value.remove_prefix(1);
    range.first = *first;
    range.last = *last;
    if (value == "*") {
        range.total = -1;
    } else {
        const auto total = takeNumber(value);
        if (!total || !value.empty() || *total <= range.last) {
            return std::nullopt;
        }
        range.total = *total;
    }
    if (range.last < range.first) {
        return std::nullopt;
    }
    return range;
}

std::optional<std::string_view> headerValueIf(std::string_view line, std::string_view name)
{
    if (line.size() <= name.size() || line[name.size()] != ':') {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (lowerAscii(line[i]) != lowerAscii(name[i])) {
            return std::nullopt;
        }
    }
    return trimBlanks(line.substr(name.size() + 1));
}

} // namespace lanseek::platform
