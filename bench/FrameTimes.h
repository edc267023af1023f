// Frame-time figures shared by the benchmarks: milliseconds, median and p95.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Summary {
    double median, p95;
};

inline Summary summarise(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t p95 = std::min(v.size() - 1, (v.size() * 95 + 99) / 100 - 1);
    return {v[v.size() / 2], v[p95]};
}

} // namespace bench
