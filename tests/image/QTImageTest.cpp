#include "tests/image/MediaFiles.h"

#include <cmath>
#include <functional>
#include <gmock/gmock.h>
#include <tuple>

TEST(QTImageImport, RedrawReusesTheBufferAndFailedIdentificationSaysNothing) {
    test::CapturedOutput output;
    ASSERT_TRUE(writeText("text.png", "this is not an image\n") && writeText("empty.png", "") &&
                writeText("noise.png", std::string("\x89PNG\r\n\x1a\n\0\0", 10)) &&
                writeCountingMovie("movie.mov", 32, 3) &&
                writeSolid("c.png", 16, ARGB(255, 200, 0, 0)));
    for (std::string name : {"text.png", "empty.png", "noise.png", "movie.mov", "missing.png"})
        EXPECT_FALSE(QTImage::imageFromPath("../Resources/" + name)) << name;
    auto image = QTImage::imageFromPath("../Resources/c.png");
    ASSERT_TRUE(image && image->LoadImageData() && image->CreateImageWithBitdepth(32, 512, 512) &&
                image->image_loaded);
    uint8_t* first = image->buffer_ptr;
    // Drawn again, the image keeps its buffer and reads the file anew. The file
    // now holds a smaller picture than identified: what it leaves uncovered is
    // cleared, not left with the earlier picture.
    ASSERT_TRUE(writeSolid("c.png", 4, ARGB(255, 0, 0, 200)) &&
                image->CreateImageWithBitdepth(32, 512, 512) && image->image_loaded);
    EXPECT_EQ(image->buffer_ptr, first);
    EXPECT_EQ((std::vector{wordAt(*image, 2, 2), wordAt(*image, 5, 5), wordAt(*image, 15, 15)}),
              (std::vector{ARGB(255, 0, 0, 200), 0u, 0u}));
    // A path that names no file leaves the object as it was; a file that is no
    // image is taken after forgetting everything held.
    EXPECT_FALSE(image->SetImageFromPath("missing.png"));
    EXPECT_EQ(image->buffer_ptr, first);
    EXPECT_FALSE(image->SetImageFromFSSpec("text.png"));
    EXPECT_EQ(image->buffer_ptr, nullptr);
    EXPECT_EQ(output.log(), ""); // neither failure nor success logs anything
}

TEST(QTImageFailure, EachStepGivesItsLogLineAndOnlyAFailedDrawGivesYes) {
    // How the identified image is spoilt, the log line, the result: only a failed draw gives YES.
    const std::tuple<std::function<void(QTImage&)>, std::string, bool> cases[] = {
        {[](QTImage&) { fs::remove("good.png"); }, "", false},
        // The type's characters are logged in reading order.
        {[](QTImage& image) { image.image_type = host::FourCC('a', 'b', 'c', 'd'); },
         "err: open error for data handle of type abcd\n", false},
        // Identified as a PNG, then replaced by text before the bytes are read.
        {[](QTImage&) { writeText("good.png", "no longer an image"); },
         "err: set error = " + std::to_string(host::kMediaErrNoData) + "\n", false},
        {[](QTImage& image) {
             image.CreateImageWithBitdepth(32, 8, 8);
             image.gworld_ptr.reset();
             image.pixmap_handle = nullptr;
         },
         "err: GraphicsImportSetGWorld\\([0-9a-f]+, 0\\)\n", false},
        // Cut after its header: identified, but not drawable.
        {[](QTImage&) { fs::resize_file("good.png", 40); }, "", true}};
    for (const auto& [spoil, log, result] : cases) {
        SCOPED_TRACE(log);
        ASSERT_TRUE(writeSolid("good.png", 8, ARGB(255, 9, 9, 9)));
        auto image = QTImage::imageFromPath("../Resources/good.png");
        ASSERT_TRUE(image);
        spoil(*image);
        test::CapturedOutput output;
        EXPECT_EQ(image->CreateImageWithBitdepth(32, 8, 8), result);
        EXPECT_THAT(output.log(), ::testing::MatchesRegex(log));
        EXPECT_TRUE(image->buffer_ptr); // made before the bytes are read, and kept
        EXPECT_TRUE(!result || !image->image_loaded);
    }
}

TEST(QTImageFailure, BufferThatCannotBeMadeLogsWhyAndGivesNo) {
    // Size, depth, log line, whether the block stays recorded. 1e9 x 1e9 overflows 32 bits.
    // clang-format off
    const std::tuple<CGSize, uint8_t, std::string, bool> cases[] = {
        {{1e9f, 1e9f}, 32, "buffer malloc failed\n", false}, {{-4, 4}, 32, "buffer malloc failed\n", false},
        {{NAN, 4}, 32, "buffer malloc failed\n", false}, {{4, 4}, 8, "NewGWorld failed 8, 4 x 4\n", true},
        {{0, 0}, 32, "NewGWorld failed 32, 0 x 0\n", true}};
    // clang-format on
    for (const auto& [size, depth, log, blockKept] : cases) {
        QTImage fresh;
        test::CapturedOutput output;
        EXPECT_FALSE(fresh.CreateImageBuffer(size, depth));
        EXPECT_EQ(output.log(), log);
        EXPECT_EQ(fresh.buffer_ptr != nullptr, blockKept) << log;
    }
}

TEST(QTImageBufferSize, PowersOfTwoAtLeastTheImageLimitedByTheCallerAndBy1024) {
    // Image size, caller maximum, buffer size. The caller's maximum is not
    // raised to a power of two; a negative one (below the minimum 0, which is
    // tested first) gives 0; -3 and 5e9 have none.
    // clang-format off
    const std::tuple<float, float, int32_t, int32_t, float, float> sizes[] = {
        {300, 200, 512, 512, 512, 256},    {2000, 100, 512, 512, 512, 128},
        {3000, 2000, 4096, 4096, 1024, 1024}, {256, 256, 512, 512, 256, 256},
        {1000, 1000, 300, 300, 300, 300},  {300, 200, -5, 512, 0, 256},
        {0, 0, 512, 512, 0, 0},            {-3, 5e9f, 512, 512, 0, 0}};
    // clang-format on
    for (auto [w, h, maxW, maxH, bufferW, bufferH] : sizes) {
        const CGSize got = QTImage::BufferSizeFor({w, h}, maxW, maxH);
        EXPECT_EQ(std::pair(got.width, got.height), std::pair(bufferW, bufferH))
            << w << " x " << h << " under " << maxW << " x " << maxH;
    }
}
