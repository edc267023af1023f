#include "image/QTImage.h"
#include "tests/image/MediaFiles.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using testmedia::ARGB;

constexpr uint32_t kTopLeft = ARGB(255, 250, 10, 10);
constexpr uint32_t kTopRight = ARGB(200, 10, 240, 10);
constexpr uint32_t kBottomLeft = ARGB(128, 10, 10, 230);
constexpr uint32_t kBottomRight = ARGB(60, 220, 220, 30);

uint32_t wordAt(const QTImage& image, int x, int y) {
    uint32_t word;
    size_t row = size_t(image.buffer_size.width) * 4;
    std::memcpy(&word, image.aligned_buffer_ptr + size_t(y) * row + size_t(x) * 4, 4);
    return word;
}

int channelError(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)));
    return worst;
}

std::unique_ptr<QTImage> importFile(const std::string& name, int32_t maxW, int32_t maxH) {
    auto image = QTImage::imageFromPath("../Resources/" + name);
    if (image && image->LoadImageData())
        image->CreateImageWithBitdepth(32, maxW, maxH);
    return image;
}

struct FormatCase {
    const char* name;
    uint32_t type;
    bool withAlpha;
    uint32_t expectedDepth;
    int tolerance;
};

class QTImageFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(QTImageFormats, CornerColoursLandInTheirWordsTopRowFirst) {
    const FormatCase& c = GetParam();
    testmedia::ResourceDir dir;
    auto pixels = testmedia::quadrants(64, 32, kTopLeft, kTopRight, kBottomLeft, kBottomRight);
    ASSERT_TRUE(testmedia::writeImage(dir.path(c.name), c.type, 64, 32, pixels, c.withAlpha));

    auto image = importFile(c.name, 512, 512);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->image_type, c.type);
    EXPECT_EQ(image->image_bitdepth, c.expectedDepth);
    ASSERT_TRUE(image->image_loaded);
    ASSERT_EQ(image->buffer_size.width, 64.0f);
    ASSERT_EQ(image->buffer_size.height, 32.0f);
    EXPECT_EQ(image->buffer_memory_size, 64u * 32u * 4u);
    auto start = reinterpret_cast<uintptr_t>(image->buffer_ptr);
    auto aligned = reinterpret_cast<uintptr_t>(image->aligned_buffer_ptr);
    EXPECT_EQ(aligned % 32, 0u);
    EXPECT_LT(aligned - start, 32u);

    // Alpha is the image's own where it has one and opaque where it has none.
    auto expect = [&](uint32_t colour) { return c.withAlpha ? colour : (colour | 0xff000000u); };
    const struct {
        int x, y;
        uint32_t colour;
    } probes[] = {{0, 0, kTopLeft},       {63, 0, kTopRight}, {0, 31, kBottomLeft},
                  {63, 31, kBottomRight}, {8, 8, kTopLeft},   {40, 24, kBottomRight}};
    for (const auto& p : probes)
        EXPECT_LE(channelError(wordAt(*image, p.x, p.y), expect(p.colour)), c.tolerance)
            << c.name << " at " << p.x << "," << p.y << std::hex << " got "
            << wordAt(*image, p.x, p.y) << " want " << expect(p.colour);
}

INSTANTIATE_TEST_SUITE_P(
    ByFormat, QTImageFormats,
    ::testing::Values(FormatCase{"alpha.png", host::kMediaTypePNG, true, 32, 0},
                      FormatCase{"opaque.png", host::kMediaTypePNG, false, 24, 0},
                      FormatCase{"default.tif", host::kMediaTypeTIFF, true, 32, 0},
                      FormatCase{"opaque.tif", host::kMediaTypeTIFF, false, 24, 0},
                      FormatCase{"opaque.bmp", host::kMediaTypeBMP, false, 24, 0},
                      FormatCase{"photo.jpg", host::kMediaTypeJPEG, false, 24, 6}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (ch == '.')
                ch = '_';
        return n;
    });

TEST(QTImageImport, ScalesEachAxisToFillTheWholeBuffer) {
    testmedia::ResourceDir dir;
    auto pixels = testmedia::quadrants(300, 200, kTopLeft, kTopRight, kBottomLeft, kBottomRight);
    ASSERT_TRUE(
        testmedia::writeImage(dir.path("wide.png"), host::kMediaTypePNG, 300, 200, pixels, true));
    auto image = importFile("wide.png", 512, 512);
    ASSERT_TRUE(image && image->image_loaded);
    EXPECT_EQ(image->image_size.width, 300.0f);
    EXPECT_EQ(image->buffer_size.width, 512.0f);
    EXPECT_EQ(image->buffer_size.height, 256.0f);
    // The scaler may round a partial alpha up by one step.
    EXPECT_LE(channelError(wordAt(*image, 0, 0), kTopLeft), 1);
    EXPECT_LE(channelError(wordAt(*image, 511, 0), kTopRight), 1);
    EXPECT_LE(channelError(wordAt(*image, 0, 255), kBottomLeft), 1);
    EXPECT_LE(channelError(wordAt(*image, 511, 255), kBottomRight), 1);
}

TEST(QTImageImport, SecondImportReusesTheBufferAndReadsTheFileAgain) {
    testmedia::ResourceDir dir;
    ASSERT_TRUE(testmedia::writeSolidImage(dir.path("c.png"), host::kMediaTypePNG, 16, 16,
                                           ARGB(255, 200, 0, 0)));
    auto image = importFile("c.png", 512, 512);
    ASSERT_TRUE(image && image->image_loaded);
    uint8_t* first = image->buffer_ptr;
    EXPECT_EQ(wordAt(*image, 5, 5), ARGB(255, 200, 0, 0));

    ASSERT_TRUE(testmedia::writeSolidImage(dir.path("c.png"), host::kMediaTypePNG, 16, 16,
                                           ARGB(255, 0, 0, 200)));
    ASSERT_TRUE(image->CreateImageWithBitdepth(32, 512, 512));
    EXPECT_TRUE(image->image_loaded);
    EXPECT_EQ(image->buffer_ptr, first);
    EXPECT_EQ(wordAt(*image, 5, 5), ARGB(255, 0, 0, 200));
}

TEST(QTImageImport, SixteenBitBufferHoldsBigEndianFiveFiveFive) {
    testmedia::ResourceDir dir;
    ASSERT_TRUE(testmedia::writeSolidImage(dir.path("r.png"), host::kMediaTypePNG, 8, 8,
                                           ARGB(255, 255, 0, 0)));
    auto image = QTImage::imageFromPath("../Resources/r.png");
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->CreateImageWithBitdepth(16, 512, 512));
    ASSERT_TRUE(image->image_loaded);
    EXPECT_EQ(image->buffer_memory_size, 8u * 8u * 2u);
    EXPECT_EQ(image->aligned_buffer_ptr[0], 0x7c);
    EXPECT_EQ(image->aligned_buffer_ptr[1], 0x00);
}

TEST(QTImageImport, FilesThatAreNoImageAreNotIdentifiedAndSayNothing) {
    testmedia::ResourceDir dir;
    ASSERT_TRUE(testmedia::writeText(dir.path("text.png"), "this is not an image\n"));
    ASSERT_TRUE(testmedia::writeText(dir.path("empty.png"), ""));
    ASSERT_TRUE(
        testmedia::writeText(dir.path("noise.png"), std::string("\x89PNG\r\n\x1a\n\0\0", 10)));
    ASSERT_TRUE(testmedia::writeCountingMovie(dir.path("movie.mov"), 32, 32, 10, 3, 2));
    ASSERT_TRUE(testmedia::writeSolidImage(dir.path("png.jpg"), host::kMediaTypePNG, 4, 4, 0));
    auto named = QTImage::imageFromPath("../Resources/png.jpg");
    ASSERT_TRUE(named);
    EXPECT_EQ(named->image_type, host::kMediaTypePNG); // by content, not by name
    for (const char* name : {"text.png", "empty.png", "noise.png", "movie.mov", "missing.png"}) {
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        EXPECT_FALSE(QTImage::imageFromPath(std::string("../Resources/") + name)) << name;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << name;
    }
}

} // namespace
