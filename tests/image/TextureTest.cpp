#include "image/Texture.h"
#include "host/OffscreenContext.h"
#include "image/VideoTexture.h"
#include "tests/image/MediaFiles.h"

#include <GL/gl.h>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using namespace testmedia;

struct PeekTexture : Texture {
    using Texture::Texture;
    const QTImage* image() const { return textureImage.get(); }
};

struct PeekVideo : VideoTexture {
    using VideoTexture::VideoTexture;
    int32_t shown() const { return currentFrame; }
    uint8_t* frame(int f) const {
        return alignedVideoBufferPtr + size_t(f) * size_t(frameWidth) * size_t(frameHeight) * 4;
    }
};

GLint boundSize(GLenum which) {
    GLint v = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, which, &v);
    return v;
}

std::vector<uint32_t> boundTexels() {
    std::vector<uint32_t> texels(size_t(boundSize(GL_TEXTURE_WIDTH)) *
                                 size_t(boundSize(GL_TEXTURE_HEIGHT)));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
    return texels;
}

class TextureGL : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gl.valid()); }
    host::OffscreenContext gl{64, 64};
};

TEST_F(TextureGL, DefaultTifTexelsEqualTheBufferAndAChangeDeletesTheOldName) {
    ASSERT_TRUE(writeImage("default.tif", host::kMediaTypeTIFF, 64, 64,
                           quadrants(64, 64, ARGB(255, 250, 0, 0), ARGB(128, 0, 250, 0),
                                     ARGB(64, 0, 0, 250), ARGB(0, 9, 9, 9))));
    Texture other;       // holds a name, so the changed texture's old one is not simply reused
    PeekTexture texture; // left bound
    ASSERT_TRUE(texture.image());
    EXPECT_NE(texture.texture(), other.texture());
    auto texels = boundTexels();
    ASSERT_EQ(texels.size(), 64u * 64u);
    EXPECT_EQ(std::memcmp(texels.data(), texture.image()->aligned_buffer_ptr, 64 * 64 * 4), 0);
    EXPECT_EQ(texels[0], ARGB(255, 250, 0, 0)); // top row first
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    ASSERT_TRUE(writeSolid("b.png", 128, ARGB(255, 7, 8, 9)));
    GLuint old = texture.texture();
    texture.changeToImageName("b.png", 128, 128);
    EXPECT_TRUE(texture.texture() == old || !glIsTexture(old));
    EXPECT_EQ(boundSize(GL_TEXTURE_WIDTH), 128);
    EXPECT_EQ(boundTexels()[0], ARGB(255, 7, 8, 9));
}

TEST_F(TextureGL, UploadsNoMoreThanTheBufferHoldsAndNothingWithoutOne) {
    ASSERT_TRUE(writeSolid("small.png", 100, 0) && writeSolid("huge.png", 2000, 0));
    // Image, requested side, uploaded side, output: an image smaller than asked,
    // a request above the largest buffer, and no image (the process goes on).
    const std::tuple<const char*, int16_t, GLint, std::string> cases[] = {
        {"small.png", 512, 128, ""},
        {"huge.png", 2048, 1024, ""},
        {"missing.png", 64, 0, "image create failed"}};
    for (const auto& [name, request, uploaded, out] : cases) {
        testing::internal::CaptureStdout();
        Texture texture(name, request, request);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), out);
        GLint bound = 0, minFilter = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(GLuint(bound), texture.texture()) << name;
        EXPECT_EQ(minFilter, GL_LINEAR) << name; // configured even without an image
        EXPECT_EQ(boundSize(GL_TEXTURE_WIDTH), uploaded) << name;
        EXPECT_EQ(boundSize(GL_TEXTURE_HEIGHT), uploaded) << name;
    }
}

TEST_F(TextureGL, IdentifiedImageThatCannotBeDrawnEndsTheProcessWithStatusOne) {
    ASSERT_TRUE(writeCutPng("cut.png"));
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The message goes to standard output; the child sends it where the check looks.
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            Texture texture("cut.png", 64, 64);
        },
        ::testing::ExitedWithCode(1), "image load failed$");
}

TEST(VideoTextureSampling, TakesFramesAtWholeStepsOfTheTruncatedDurationShare) {
    for (int32_t f = 0; f < 4; ++f) {
        EXPECT_EQ(VideoTexture::SampleTime(600, 4, f), 150 * f); // 0, 150, 300, 450
        EXPECT_EQ(VideoTexture::SampleTime(10, 4, f), 2 * f);    // 0, 2, 4, 6
    }
    EXPECT_EQ(VideoTexture::SampleTime(600, 0, 0), 0); // no division by zero
}

TEST_F(TextureGL, VideoSamplesItsFramesAndShowsTheOneForEachTimeUploadingOnChangeOnly) {
    ASSERT_TRUE(writeCountingMovie("count.mov", 48, 10));
    testing::internal::CaptureStderr();
    PeekVideo strip("count.mov", 64, 64, 4);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "video texture buffer size (KB): 64\n");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(strip.frame(0)) % 32, 0u);
    // Sampled at 0, 150, 300 and 450 of 600: frames 0, 2, 5 and 7 of the movie.
    const int sampled[] = {0, 2, 5, 7};
    for (int f = 0; f < 4; ++f)
        EXPECT_EQ(frameOf(strip.frame(f)), sampled[f]) << "frame " << f;

    PeekVideo video("count.mov", 32, 32, 10);
    EXPECT_EQ(video.shown(), 0);
    EXPECT_EQ(boundSize(GL_TEXTURE_WIDTH), 32); // its own texture left bound, not the strip's
    EXPECT_EQ(frameOf(boundTexels().data()), 0);
    // clang-format off
    const std::pair<float, int> times[] = {{0.0f, 0}, {0.05f, 0}, {0.5f, 5}, {0.99f, 9}, {1.0f, 9},
        {2.0f, 9}, {-0.3f, 0}, {0.3f, 3}, {NAN, 0}, {1e30f, 9}};
    // clang-format on
    for (auto [time, frame] : times) {
        video.gotoFrameWithNTime(time);
        EXPECT_EQ(video.shown(), frame) << time;
        auto texels = boundTexels();
        ASSERT_EQ(texels.size(), 32u * 32u);
        EXPECT_EQ(frameOf(&texels[0]), frame) << time;
        EXPECT_EQ(frameOf(&texels.back()), frame) << time;
    }
    video.gotoFrameWithNTime(0.5f);
    std::memset(video.frame(5), 0, 32 * 32 * 4); // only a fresh upload would show this
    video.gotoFrameWithNTime(0.55f);
    EXPECT_EQ(frameOf(boundTexels().data()), 5);
    video.gotoFrameWithNTime(0.6f);
    EXPECT_EQ(frameOf(boundTexels().data()), 6);
}

TEST_F(TextureGL, VideoFramesThatCannotBeHadAreTransparentBlackOrNotUploaded) {
    ASSERT_TRUE(writeCountingMovie("empty.mov", 32, 0) && writeText("text.mov", "not a movie"));
    const std::string sizeLine = "video texture buffer size (KB): 16\n";
    // Movie, frame side, frame count, frame shown after creation, output. A zero-length movie,
    // no movie and no file give transparent black; no frames, or a block of 4 GiB that a
    // 32-bit product would wrap to 0, give no block and no upload.
    const std::tuple<const char*, int16_t, int16_t, int32_t, std::string> cases[] = {
        {"empty.mov", 32, 4, 0, sizeLine},
        {"text.mov", 32, 4, 0, sizeLine},
        {"missing.mov", 32, 4, 0, sizeLine + "\nERROR: url->fsRef\n"},
        {"empty.mov", 32, 0, -1, ""},
        {"empty.mov", 32, -2, -1, ""},
        {"missing.mov", 256, 16384, -1, ""}};
    for (const auto& [name, side, frames, shown, out] : cases) {
        SCOPED_TRACE(name + (" x " + std::to_string(frames)));
        testing::internal::CaptureStderr();
        PeekVideo video(name, side, side, frames);
        std::string log = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(out.empty() || log == out) << log;
        EXPECT_EQ(video.shown(), shown);
        for (float t : {0.0f, 0.9f}) {
            video.gotoFrameWithNTime(t);
            EXPECT_EQ(boundSize(GL_TEXTURE_WIDTH), shown < 0 ? 0 : 32);
            for (uint32_t texel : boundTexels())
                ASSERT_EQ(texel, 0u) << t;
        }
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

} // namespace
