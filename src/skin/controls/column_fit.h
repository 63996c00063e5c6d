#pragma once

// The widths of a list's columns when some texts must show whole: each column grows to what it must
// hold, and what the list then lacks is taken back from the columns with room to spare, widest spare
// first, never below what they must hold themselves. A list already wider than its view is not narrowed
// further than its own columns made it.

#include <vector>

namespace lanseek::skin {

// widths: the columns as laid out; needs: the least each must have (0: nothing); room: the width the
// columns have to share.
std::vector<int> fitColumnWidths(const std::vector<int>& widths, const std::vector<int>& needs, int room);

} // namespace lanseek::skin
