#pragma once

// Where each of many byte strings first occurs in one text, found in a single pass over the text. A result
// page asks this for every result link's text; searching the page once per link would make a page with
// very many links cost the square of its size.

#include <string_view>
#include <vector>

namespace lanseek::search {

inline constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// For each needle, the byte offset of its first occurrence in text, or kNotFound; an empty needle is
// never found. The same results as text.find(needle) for every needle.
std::vector<std::size_t> firstOccurrences(std::string_view text,
                                          const std::vector<std::string_view>& needles);

} // namespace lanseek::search
