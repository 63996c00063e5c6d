#include "service/query.h"

#include "service/text_codec.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

namespace lanseek::service {
namespace {

// The program places the typed word into the address without escaping it, so a word may itself hold a
// '&'. Only an '&' that starts one of the service's own keys ends the word.
constexpr std::array<std::string_view, 10> kKnownKeys = {"tn", "ct", "rn", "word", "lm",
                                                         "pn", "ip", "cl", "z",    "f"};

bool startsKnownKey(std::string_view rest)
{
    for (std::string_view key : kKnownKeys) {
        if (rest.size() > key.size() && rest.substr(0, key.size()) == key && rest[key.size()] == '=') {
            return true;
        }
    }
    return false;
}

} // namespace

QueryString::QueryString(std::string_view raw)
{
    if (const auto hash = raw.find('#'); hash != std::string_view::npos) {
        raw = raw.substr(0, hash);
    }
    std::size_t pos = 0;
    while (pos <= raw.size()) {
        std::size_t end = raw.find('&', pos);
        const bool isWord = raw.substr(pos, 5) == "word=";
        if (isWord) {
            while (end != std::string_view::npos && !startsKnownKey(raw.substr(end + 1))) {
                end = raw.find('&', end + 1);
            }
        }
        if (end == std::string_view::npos) {
            end = raw.size();
        }
        const std::string_view pair = raw.substr(pos, end - pos);
        if (!pair.empty()) {
            const auto eq = pair.find('=');
            if (eq == std::string_view::npos) {
                m_pairs.emplace_back(std::string(pair), std::string());
            } else {
                m_pairs.emplace_back(std::string(pair.substr(0, eq)), std::string(pair.substr(eq + 1)));
            }
        }
        pos = end + 1;
    }
}

std::optional<std::string> QueryString::raw(std::string_view key) const
{
    for (const auto& [k, v] : m_pairs) {
        if (k == key) {
            return v;
        }
    }
    return std::nullopt;
}

std::optional<std::string> QueryString::decoded(std::string_view key) const
{
    auto value = raw(key);
    if (value) {
        *value = percentDecode(*value);
    }
    return value;
}

std::vector<std::string> wordReadings(std::string_view bytes)
{
    std::vector<std::string> readings;
    auto add = [&readings](const std::string& utf8) {
        std::string folded = foldCase(collapseWhitespace(utf8));
        if (!folded.empty() && std::find(readings.begin(), readings.end(), folded) == readings.end()) {
            readings.push_back(std::move(folded));
        }
    };
    if (const auto gbk = gbkToUtf8(bytes)) {
        add(*gbk);
    }
    if (isValidUtf8(bytes)) {
        add(std::string(bytes));
    }
    return readings;
}

std::string wordDisplay(std::string_view bytes)
{
    if (const auto gbk = gbkToUtf8(bytes)) {
        return *gbk;
    }
    if (isValidUtf8(bytes)) {
        return std::string(bytes);
    }
    return {};
}

std::optional<MediaType> mediaTypeFilter(const std::optional<std::string>& lm)
{
    if (!lm || lm->size() != 1 || (*lm)[0] < '0' || (*lm)[0] > '4') {
        return std::nullopt;
    }
    return static_cast<MediaType>((*lm)[0] - '0');
}

std::uint64_t resultOffset(const std::optional<std::string>& pn)
{
    if (!pn || pn->empty()) {
        return 0;
    }
    std::uint64_t value = 0;
    const char* first = pn->data();
    const char* last = first + pn->size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    if (error != std::errc() || end != last) {
        return 0;
    }
    return value;
}

} // namespace lanseek::service
