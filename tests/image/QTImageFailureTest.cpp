#include "image/QTImage.h"
#include "tests/image/MediaFiles.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testmedia::ARGB;

// Stderr carries the host log.
class LogCapture {
  public:
    LogCapture() { testing::internal::CaptureStderr(); }
    std::string text() { return testing::internal::GetCapturedStderr(); }
};

class QTImageFailure : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testmedia::writeSolidImage(dir.path("good.png"), host::kMediaTypePNG, 8, 8,
                                               ARGB(255, 9, 9, 9)));
        image = QTImage::imageFromPath("../Resources/good.png");
        ASSERT_TRUE(image);
    }
    testmedia::ResourceDir dir;
    std::unique_ptr<QTImage> image;
};

TEST_F(QTImageFailure, MissingPathGivesNoAndLeavesTheObjectAsItWas) {
    LogCapture log;
    EXPECT_FALSE(image->SetImageFromPath("../Resources/missing.png"));
    EXPECT_EQ(log.text(), "");
    EXPECT_EQ(image->image_type, host::kMediaTypePNG);
    EXPECT_EQ(image->image_size.width, 8.0f);
}

TEST_F(QTImageFailure, UnidentifiedFileGivesNoSilentlyAfterResetting) {
    ASSERT_TRUE(image->CreateImageWithBitdepth(32, 8, 8));
    ASSERT_TRUE(image->buffer_ptr);
    ASSERT_TRUE(testmedia::writeText(dir.path("text.png"), "hello"));
    LogCapture log;
    EXPECT_FALSE(image->SetImageFromFSSpec(dir.path("text.png")));
    EXPECT_EQ(log.text(), "");
    EXPECT_EQ(image->buffer_ptr, nullptr);
    EXPECT_FALSE(image->image_loaded);
}

TEST_F(QTImageFailure, FileGoneBeforeLoadingGivesNoSilently) {
    std::filesystem::remove(dir.path("good.png"));
    LogCapture log;
    EXPECT_FALSE(image->LoadImageData());
    EXPECT_FALSE(image->CreateImageWithBitdepth(32, 8, 8));
    EXPECT_EQ(log.text(), "");
}

TEST_F(QTImageFailure, NoDecoderForTheTypeLogsItsCharactersInReadingOrder) {
    ASSERT_TRUE(image->LoadImageData());
    image->image_type = host::FourCC('a', 'b', 'c', 'd');
    LogCapture log;
    EXPECT_FALSE(image->CreateImageWithBitdepth(32, 8, 8));
    EXPECT_EQ(log.text(), "err: open error for data handle of type abcd\n");
}

TEST_F(QTImageFailure, DecoderRefusingTheBytesLogsTheErrorAndLeavesNoLoadedImage) {
    // Identified as a PNG, then replaced by text before the bytes are read.
    ASSERT_TRUE(testmedia::writeText(dir.path("good.png"), "no longer an image"));
    LogCapture log;
    EXPECT_FALSE(image->CreateImageWithBitdepth(32, 8, 8));
    EXPECT_EQ(log.text(), "err: set error = " + std::to_string(host::kMediaErrNoData) + "\n");
    EXPECT_FALSE(image->image_loaded);
    EXPECT_TRUE(image->buffer_ptr); // the buffer was made before the bytes were read
}

struct BufferFailure {
    CGSize size;
    uint8_t depth;
    const char* log;
    bool blockKept;
};

TEST_F(QTImageFailure, BufferThatCannotBeMadeLogsWhyAndGivesNo) {
    const BufferFailure cases[] = {
        {{1e9f, 1e9f}, 32, "buffer malloc failed\n", false},
        {{-4, 4}, 32, "buffer malloc failed\n", false},
        {{NAN, 4}, 32, "buffer malloc failed\n", false},
        {{4, 4}, 8, "NewGWorld failed 8, 4 x 4\n", true},
        {{0, 0}, 32, "NewGWorld failed 32, 0 x 0\n", true},
    };
    for (const auto& c : cases) {
        QTImage fresh;
        LogCapture log;
        EXPECT_FALSE(fresh.CreateImageBuffer(c.size, c.depth));
        EXPECT_EQ(log.text(), c.log);
        EXPECT_EQ(fresh.buffer_ptr != nullptr, c.blockKept) << c.log;
        fresh.ReleaseImageBuffer();
        EXPECT_EQ(fresh.buffer_ptr, nullptr);
    }
}

TEST_F(QTImageFailure, DestinationRefusedLogsBothHandles) {
    ASSERT_TRUE(image->CreateImageWithBitdepth(32, 8, 8));
    image->gworld_ptr.reset();
    image->pixmap_handle = nullptr;
    LogCapture log;
    EXPECT_FALSE(image->CreateImageWithBitdepth(32, 8, 8));
    EXPECT_THAT(log.text(),
                ::testing::MatchesRegex("err: GraphicsImportSetGWorld\\([0-9a-f]+, 0\\)\n"));
}

TEST_F(QTImageFailure, FailedDrawStillGivesYesWithImageNotLoaded) {
    auto pixels = testmedia::quadrants(64, 64, ARGB(255, 1, 2, 3), ARGB(255, 90, 2, 3),
                                       ARGB(255, 1, 90, 3), ARGB(255, 1, 2, 90));
    for (auto& p : pixels)
        p ^= uint32_t(&p - pixels.data()) * 2654435761u & 0x00ffffffu; // incompressible
    ASSERT_TRUE(
        testmedia::writeImage(dir.path("whole.png"), host::kMediaTypePNG, 64, 64, pixels, true));
    ASSERT_TRUE(testmedia::writeTruncated(dir.path("whole.png"), dir.path("cut.png"), 200));
    auto cut = QTImage::imageFromPath("../Resources/cut.png");
    ASSERT_TRUE(cut) << "a sound header is identified";
    LogCapture log;
    EXPECT_TRUE(cut->CreateImageWithBitdepth(32, 64, 64));
    EXPECT_FALSE(cut->image_loaded);
    EXPECT_TRUE(cut->buffer_ptr);
    EXPECT_EQ(log.text(), "");
}

} // namespace
