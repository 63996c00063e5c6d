#pragma once

// A song row as the four song lists hold it, and the positions of its sub-items.

#include "platform/model/list_row.h"

namespace lanseek {

using SongEntry = platform::ListRow;

namespace song {
inline constexpr int kName = 0;
inline constexpr int kAddress = 1;
inline constexpr int kSize = 2;
inline constexpr int kType = 3;
inline constexpr int kSavePath = 4; // download list only
} // namespace song

} // namespace lanseek
