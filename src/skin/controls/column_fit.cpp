#include "skin/controls/column_fit.h"

#include <algorithm>
#include <numeric>

namespace lanseek::skin {

std::vector<int> fitColumnWidths(const std::vector<int>& widths, const std::vector<int>& needs, int room)
{
    std::vector<int> out(widths);
    for (std::size_t c = 0; c < out.size() && c < needs.size(); ++c)
        out[c] = std::max(out[c], needs[c]);
    const int before = std::accumulate(widths.begin(), widths.end(), 0);
    const int after = std::accumulate(out.begin(), out.end(), 0);
    int excess = after - std::max(room, before);
    if (excess <= 0)
        return out;
    auto spare = [&](std::size_t c) { return out[c] - (c < needs.size() ? needs[c] : 0); };
    std::vector<std::size_t> order(out.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return spare(a) > spare(b); });
    for (std::size_t c : order) {
        const int take = std::min(excess, std::max(0, spare(c)));
        out[c] -= take;
        excess -= take;
        if (excess == 0)
            break;
    }
    return out;
}

} // namespace lanseek::skin
