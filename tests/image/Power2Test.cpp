#include "image/QTImage.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

struct Power2Case {
    uint32_t n, expected;
};

TEST(Power2Ceiling, GivesSmallestPowerOfTwoNotBelowAndZeroOutsideTheRange) {
    // clang-format off
    const Power2Case cases[] = {{1, 1}, {2, 2}, {3, 4}, {1024, 1024}, {1025, 2048}, {0, 0},
        {0x40000001u, 0x80000000u}, {0x80000000u, 0x80000000u}, {0x80000001u, 0}, {0xFFFFFFFFu, 0}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(Power2Ceiling(c.n), c.expected) << "n = " << c.n;
}

TEST(Power2Floor, GivesLargestPowerOfTwoNotAboveAndZeroForZero) {
    // clang-format off
    const Power2Case cases[] = {{1, 1}, {2, 2}, {3, 2}, {1023, 512}, {1024, 1024}, {0, 0},
        {0x80000000u, 0x80000000u}, {0xFFFFFFFFu, 0x80000000u}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(Power2Floor(c.n), c.expected) << "n = " << c.n;
}

TEST(Clamp, TestsTheMinimumFirstThenTheMaximum) {
    struct {
        float v, min, max, expected;
    } const cases[] = {{5, 0, 3, 3},
                       {-1, 0, 3, 0},
                       {2, 0, 3, 2},
                       // With min above max: min below min, max otherwise.
                       {-1, 4, 2, 4},
                       {3, 4, 2, 4},
                       {10, 4, 2, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(clamp(c.v, c.min, c.max), c.expected) << c.v << " in " << c.min << ", " << c.max;
    EXPECT_TRUE(std::isnan(clamp(NAN, 0, 3)));
}

} // namespace
