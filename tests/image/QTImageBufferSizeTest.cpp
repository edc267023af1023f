#include "image/QTImage.h"

#include <gtest/gtest.h>

namespace {

struct SizeCase {
    CGSize image;
    int32_t maxWidth, maxHeight;
    CGSize expected;
};

TEST(QTImageBufferSize, RaisesToPowersOfTwoThenLimitsByCallerAndByTheFixedMaximum) {
    const SizeCase cases[] = {
        {{300, 200}, 512, 512, {512, 256}},
        {{2000, 100}, 512, 512, {512, 128}},
        {{3000, 2000}, 4096, 4096, {1024, 1024}},
        {{256, 256}, 512, 512, {256, 256}},
        // The caller's maximum is not raised to a power of two.
        {{1000, 1000}, 300, 300, {300, 300}},
        {{1, 1}, 512, 512, {1, 1}},
        {{0, 0}, 512, 512, {0, 0}},
        {{-3, 5e9f}, 512, 512, {0, 0}}, // no power of two for these
    };
    for (const auto& c : cases) {
        CGSize got = QTImage::BufferSizeFor(c.image, c.maxWidth, c.maxHeight);
        EXPECT_EQ(got.width, c.expected.width) << c.image.width << " x " << c.image.height;
        EXPECT_EQ(got.height, c.expected.height) << c.image.width << " x " << c.image.height;
    }
}

TEST(QTImageBufferSize, NegativeMaximumGivesZeroSide) {
    CGSize got = QTImage::BufferSizeFor({300, 200}, -5, 512);
    EXPECT_EQ(got.width, 0.0f);
    EXPECT_EQ(got.height, 256.0f);
}

} // namespace
