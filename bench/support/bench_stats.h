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

// The figures of two calls timed against each other: each one's median in microseconds and the median
// of the rounds' ratios first / second.
struct PairedTimes
{
    double first = NAN;
    double second = NAN;
    double ratio = NAN;
};

// Times two calls in turn, `rounds` times each, after a few untimed rounds; the order is swapped every
// round so that neither always runs after the other. On a busy machine the load changes within a run
// far less than between runs, so the ratio of each round's pair (and its median) moves least.
template <typename F, typename G> PairedTimes pairedMedians(int rounds, F&& first, G&& second)
{
    const auto timed = [](auto& f) {
        const auto start = std::chrono::steady_clock::now();
        f();
        const auto end = std::chrono::steady_clock::now();
        return std::chrono::duration<double, std::micro>(end - start).count();
    };
    for (int i = 0; i < 5; ++i) {
        first();
        second();
    }
    std::vector<double> a, b, ratios;
    const std::size_t n = static_cast<std::size_t>(std::max(rounds, 0));
    a.reserve(n);
    b.reserve(n);
    ratios.reserve(n);
    for (int i = 0; i < rounds; ++i) {
        double ta = 0, tb = 0;
        if (i % 2) {
            tb = timed(second);
            ta = timed(first);
        } else {
            ta = timed(first);
            tb = timed(second);
        }
        a.push_back(ta);
        b.push_back(tb);
        if (tb > 0)
            ratios.push_back(ta / tb);
    }
    return {median(std::move(a)), median(std::move(b)), median(std::move(ratios))};
}

} // namespace lanseek::bench
