#pragma once

// The figures every benchmark prints: medians of repeated timings.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace lanseek::bench {

// The middle value (the mean of the two middle ones for an even count); NaN when there is none.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

// The median time of `runs` calls in microseconds, after a few untimed calls so that the page faults
// of first allocations do not count.
template <typename F> double medianMicros(int runs, F&& f)
{
    for (int i = 0; i < 5; ++i)
        f();
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(std::max(runs, 0)));
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    return median(std::move(times));
}

} // namespace lanseek::bench
