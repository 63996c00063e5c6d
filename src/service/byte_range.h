#pragma once

// Deciding what part of a file a "Range" request header asks for.

#include <cstdint>
#include <string_view>

namespace lanseek::service {

struct RangeDecision
{
    enum class Outcome { Whole, Partial, Unsatisfiable };
    Outcome outcome = Outcome::Whole;
    std::uint64_t first = 0; // inclusive byte positions, set for Partial
    std::uint64_t last = 0;
};

// One range "bytes=N-M", "bytes=N-" or "bytes=-N" against a file of `size` bytes. An end past the file is
// cut at its last byte (download workers ask for one byte more than the file holds). A header that is
// missing, malformed, in another unit or lists several ranges is ignored and the whole file is sent, as
// HTTP allows; a well-formed range that starts past the end, or an empty suffix, is unsatisfiable.
RangeDecision decideRange(std::string_view header, std::uint64_t size);

} // namespace lanseek::service
