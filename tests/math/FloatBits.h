// Comparisons for results that are fixed to the last bit or to one unit in
// the last place.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>

inline int64_t UlpsApart(float a, float b) {
    // Map the floats onto a line of integers ordered like the values.
    auto ordered = [](float f) {
        const int32_t i = std::bit_cast<int32_t>(f);
        return i < 0 ? int64_t{INT32_MIN} - i : int64_t{i};
    };
    const int64_t d = ordered(a) - ordered(b);
    return d < 0 ? -d : d;
}

inline ::testing::AssertionResult WithinOneUlp(float actual, float expected) {
    if (!std::isnan(actual) && UlpsApart(actual, expected) <= 1) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << actual << " is " << UlpsApart(actual, expected) << " ulps from " << expected;
}
