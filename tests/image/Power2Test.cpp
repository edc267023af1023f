#include "image/QTImage.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

namespace {

TEST(Power2, FloorAndCeilingWithZeroAndTheTopOfTheRange) {
    // n, floor, ceiling; no power of two is above 2^31.
    // clang-format off
    const std::tuple<uint32_t, uint32_t, uint32_t> cases[] = {
        {0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 2, 4}, {1023, 512, 1024}, {1024, 1024, 1024},
        {1025, 1024, 2048}, {0x40000001u, 0x40000000u, 0x80000000u},
        {0x80000000u, 0x80000000u, 0x80000000u}, {0x80000001u, 0x80000000u, 0},
        {0xFFFFFFFFu, 0x80000000u, 0}};
    // clang-format on
    for (auto [n, floor, ceiling] : cases) {
        EXPECT_EQ(Power2Floor(n), floor) << n;
        EXPECT_EQ(Power2Ceiling(n), ceiling) << n;
    }
}

TEST(Clamp, TestsTheMinimumFirstThenTheMaximum) {
    // v, min, max, result; with min above max: min below min, max otherwise.
    const std::tuple<float, float, float, float> cases[] = {
        {5, 0, 3, 3}, {-1, 0, 3, 0}, {2, 0, 3, 2}, {-1, 4, 2, 4}, {3, 4, 2, 4}, {10, 4, 2, 2}};
    for (auto [v, min, max, result] : cases)
        EXPECT_EQ(clamp(v, min, max), result) << v << " in " << min << ", " << max;
    EXPECT_TRUE(std::isnan(clamp(NAN, 0, 3)));
}

TEST(QTImageBufferSize, PowersOfTwoLimitedByTheCallerAndBy1024) {
    // Image size, caller maximum, buffer size. The caller's maximum is not
    // raised to a power of two; a negative one gives 0; -3 and 5e9 have none.
    // clang-format off
    const std::tuple<float, float, int32_t, int32_t, float, float> cases[] = {
        {300, 200, 512, 512, 512, 256},    {2000, 100, 512, 512, 512, 128},
        {3000, 2000, 4096, 4096, 1024, 1024}, {256, 256, 512, 512, 256, 256},
        {1000, 1000, 300, 300, 300, 300},  {300, 200, -5, 512, 0, 256},
        {0, 0, 512, 512, 0, 0},            {-3, 5e9f, 512, 512, 0, 0}};
    // clang-format on
    for (auto [w, h, maxW, maxH, bufferW, bufferH] : cases) {
        CGSize got = QTImage::BufferSizeFor({w, h}, maxW, maxH);
        EXPECT_EQ(got.width, bufferW) << w << " x " << h << " under " << maxW;
        EXPECT_EQ(got.height, bufferH) << w << " x " << h << " under " << maxH;
    }
}

} // namespace
