#include "service/byte_range.h"

#include <charconv>
#include <optional>

namespace lanseek::service {
namespace {

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// Digits only; nothing for anything else, including values too large to hold.
std::optional<std::uint64_t> number(std::string_view text)
{
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Still a valid number; it just lies past any file.
        for (char c : text) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
        }
        return UINT64_MAX;
    }
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (x != b[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

RangeDecision decideRange(std::string_view header, std::uint64_t size)
{
    using Outcome = RangeDecision::Outcome;
    header = trim(header);
    const auto eq = header.find('=');
    if (eq == std::string_view::npos || !equalsIgnoringCase(trim(header.substr(0, eq)), "bytes")) {
        return {};
    }
    const std::string_view spec = trim(header.substr(eq + 1));
    if (spec.find(',') != std::string_view::npos) {
        return {};
    }
    const auto dash = spec.find('-');
    if (dash == std::string_view::npos) {
        return {};
    }
    const std::string_view from = trim(spec.substr(0, dash));
    const std::string_view to = trim(spec.substr(dash + 1));

    if (from.empty()) {
        const auto suffix = number(to);
        if (!suffix) {
            return {};
        }
        if (*suffix == 0 || size == 0) {
            return {Outcome::Unsatisfiable, 0, 0};
        }
        const std::uint64_t length = *suffix < size ? *suffix : size;
        return {Outcome::Partial, size - length, size - 1};
    }
    const auto first = number(from);
    if (!first) {
        return {};
    }
    std::uint64_t last = UINT64_MAX;
    if (!to.empty()) {
        const auto end = number(to);
        if (!end || *end < *first) {
            return {};
        }
        last = *end;
    }
    if (*first >= size) {
        return {Outcome::Unsatisfiable, 0, 0};
    }
    return {Outcome::Partial, *first, last < size ? last : size - 1};
}

} // namespace lanseek::service
