#include "image/VideoTexture.h"
#include "host/OffscreenContext.h"
#include "tests/image/MediaFiles.h"

#include <GL/gl.h>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif
#ifndef GL_UNSIGNED_INT_8_8_8_8_REV
#define GL_UNSIGNED_INT_8_8_8_8_REV 0x8367
#endif

namespace {

struct PeekVideo : VideoTexture {
    using VideoTexture::VideoTexture;
    int32_t shown() const { return currentFrame; }
    int32_t stripWidth() const { return bufferWidth; }
    int32_t stripHeight() const { return bufferHeight; }
    uint8_t* frame(int f) const {
        return alignedVideoBufferPtr + size_t(f) * size_t(frameWidth) * size_t(frameHeight) * 4;
    }
};

struct SampleCase {
    int64_t duration;
    int32_t frames;
    std::vector<int64_t> times;
};

TEST(VideoTextureSampling, TakesFramesAtWholeStepsOfTheTruncatedDurationShare) {
    const SampleCase cases[] = {{600, 4, {0, 150, 300, 450}},
                                {10, 4, {0, 2, 4, 6}},
                                {0, 3, {0, 0, 0}},
                                {7, 10, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}};
    for (const auto& c : cases)
        for (int32_t f = 0; f < int32_t(c.times.size()); ++f)
            EXPECT_EQ(VideoTexture::SampleTime(c.duration, c.frames, f), c.times[size_t(f)])
                << c.duration << "/" << c.frames << " frame " << f;
    EXPECT_EQ(VideoTexture::SampleTime(600, 0, 0), 0); // no division by zero
}

struct TimeCase {
    float time;
    int32_t frame;
};

const TimeCase kTenFrameTimes[] = {{0.0f, 0}, {0.05f, 0}, {0.5f, 5}, {0.99f, 9}, {1.0f, 9},
                                   {2.0f, 9}, {-0.3f, 0}, {0.3f, 3}, {NAN, 0},   {1e30f, 9}};

TEST(VideoTextureSampling, ChoosesTheFrameForANormalisedTimeWithinRange) {
    for (const auto& c : kTenFrameTimes)
        EXPECT_EQ(VideoTexture::FrameForTime(c.time, 10), c.frame) << c.time;
    EXPECT_EQ(VideoTexture::FrameForTime(0.5f, 0), 0);
}

GLint boundWidth() {
    GLint v = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &v);
    return v;
}

std::vector<uint32_t> boundTexels(int count) {
    std::vector<uint32_t> texels(size_t(count), 0xdeadbeefu);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
    return texels;
}

class VideoTextureGL : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gl.valid()); }
    host::OffscreenContext gl{64, 64};
    testmedia::ResourceDir dir;
};

TEST_F(VideoTextureGL, ShowsTheSampledFrameForEachTime) {
    ASSERT_TRUE(testmedia::writeCountingMovie(dir.path("count.mov"), 48, 48, 10, 10, 4));
    testing::internal::CaptureStderr();
    PeekVideo video("count.mov", 32, 32, 10);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "video texture buffer size (KB): 40\n");
    EXPECT_EQ(video.shown(), 0);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), video.texture());
    EXPECT_EQ(testmedia::frameOfGrey(boundTexels(32 * 32)[0]), 0);

    for (const auto& c : kTenFrameTimes) {
        video.gotoFrameWithNTime(c.time);
        EXPECT_EQ(video.shown(), c.frame) << c.time;
        auto texels = boundTexels(32 * 32);
        EXPECT_EQ(testmedia::frameOfGrey(texels[0]), c.frame) << c.time;
        EXPECT_EQ(testmedia::frameOfGrey(texels[32 * 32 - 1]), c.frame) << c.time;
    }
}

TEST_F(VideoTextureGL, StripOfFourFramesOfSixtyFourReportsSixtyFourKilobytes) {
    ASSERT_TRUE(testmedia::writeCountingMovie(dir.path("count.mov"), 64, 64, 10, 10, 4));
    testing::internal::CaptureStderr();
    PeekVideo video("count.mov", 64, 64, 4);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "video texture buffer size (KB): 64\n");
    EXPECT_EQ(video.stripWidth(), 64);
    EXPECT_EQ(video.stripHeight(), 256);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(video.frame(0)) % 32, 0u);
    // Sampled at 0, 150, 300 and 450 of 600: frames 0, 2, 5 and 7 of the movie.
    const int expected[] = {0, 2, 5, 7};
    for (int f = 0; f < 4; ++f) {
        uint32_t word;
        std::memcpy(&word, video.frame(f), 4);
        EXPECT_EQ(testmedia::frameOfGrey(word), expected[f]) << "frame " << f;
    }
}

TEST_F(VideoTextureGL, TwoTimesOnTheSameFrameUploadOnce) {
    ASSERT_TRUE(testmedia::writeCountingMovie(dir.path("count.mov"), 32, 32, 10, 10, 4));
    testing::internal::CaptureStderr();
    PeekVideo video("count.mov", 32, 32, 10);
    testing::internal::GetCapturedStderr();
    video.gotoFrameWithNTime(0.5f);
    // Spoil the block behind frame 5: only a fresh upload would show it.
    std::memset(video.frame(5), 0, 32 * 32 * 4);
    video.gotoFrameWithNTime(0.55f);
    EXPECT_EQ(testmedia::frameOfGrey(boundTexels(32 * 32)[0]), 5);
    video.gotoFrameWithNTime(0.6f);
    EXPECT_EQ(testmedia::frameOfGrey(boundTexels(32 * 32)[0]), 6);
}

TEST_F(VideoTextureGL, FramesThatCannotBeSampledAreTransparentBlack) {
    ASSERT_TRUE(testmedia::writeCountingMovie(dir.path("empty.mov"), 32, 32, 10, 0, 1));
    ASSERT_TRUE(testmedia::writeText(dir.path("text.mov"), "not a movie"));
    const struct {
        const char* name;
        const char* log;
    } cases[] = {
        {"empty.mov", "video texture buffer size (KB): 16\n"},
        {"text.mov", "video texture buffer size (KB): 16\n"},
        {"missing.mov", "video texture buffer size (KB): 16\n\nERROR: url->fsRef\n"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        PeekVideo video(c.name, 32, 32, 4);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.log);
        EXPECT_EQ(video.shown(), 0) << c.name;
        for (float t : {0.0f, 0.9f}) {
            video.gotoFrameWithNTime(t);
            for (uint32_t texel : boundTexels(32 * 32))
                ASSERT_EQ(texel, 0u) << c.name << " at " << t;
        }
    }
}

TEST_F(VideoTextureGL, NoFramesMeansNoBlockAndNoUpload) {
    ASSERT_TRUE(testmedia::writeCountingMovie(dir.path("count.mov"), 32, 32, 10, 3, 1));
    for (int16_t frames : {int16_t(0), int16_t(-2)}) {
        testing::internal::CaptureStderr();
        PeekVideo video("count.mov", 32, 32, frames);
        testing::internal::GetCapturedStderr();
        video.gotoFrameWithNTime(0.5f);
        EXPECT_EQ(video.shown(), -1);
        EXPECT_EQ(boundWidth(), 0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

} // namespace
