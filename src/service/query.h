#pragma once

// Reading the query strings of the search endpoint. Values stay as raw bytes until a caller decodes them,
// because the word arrives as percent-encoded GBK and must not pass through any UTF-8 assumption.

#include "service/library_index.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lanseek::service {

class QueryString
{
public:
    explicit QueryString(std::string_view raw);

    // The raw (still percent-encoded) value of the first occurrence of key.
    std::optional<std::string> raw(std::string_view key) const;
    // The value of key with its percent escapes decoded into bytes.
    std::optional<std::string> decoded(std::string_view key) const;

private:
    std::vector<std::pair<std::string, std::string>> m_pairs;
};

// The word's bytes may be GBK (as the program sends them) or UTF-8 (as a web browser's address bar sends
// them). Returns the readings to search for: the GBK reading when the bytes are valid GBK, and the UTF-8
// reading too when it is valid and differs. Each reading is case-folded and its white space collapsed.
// Nothing comes back for an empty word or bytes that are neither.
std::vector<std::string> wordReadings(std::string_view bytes);

// The display text of a word (UTF-8): its GBK reading, else its UTF-8 reading, else empty.
std::string wordDisplay(std::string_view bytes);

// "lm": "0".."4" choose one type; "-1", a missing value or anything else means every type.
std::optional<MediaType> mediaTypeFilter(const std::optional<std::string>& lm);

// "pn": the offset into the result list. Non-numbers count as 0; numbers too large to hold saturate, so
// they simply lie beyond the end of any list.
std::uint64_t resultOffset(const std::optional<std::string>& pn);

} // namespace lanseek::service
