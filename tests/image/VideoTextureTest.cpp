#include "image/VideoTexture.h"
#include "tests/image/MediaFiles.h"

#include <cmath>
#include <sys/stat.h>

struct PeekVideo : VideoTexture {
    using VideoTexture::VideoTexture;
    int32_t shown() const { return currentFrame; }
    uint8_t* frame(int f) const {
        return alignedVideoBufferPtr + size_t(f) * size_t(frameWidth) * size_t(frameHeight) * 4;
    }
};

using VideoTextureGL = GLContext;

TEST_F(VideoTextureGL, SamplesItsFramesShowsTheOneForEachTimeAndBlackForThoseItCannotHave) {
    // The duration's share is truncated before it is multiplied; no frames, no division.
    EXPECT_EQ(VideoTexture::SampleTime(10, 4, 3), 6);
    EXPECT_EQ(VideoTexture::SampleTime(600, 0, 0), 0);
    ASSERT_TRUE(writeCountingMovie("count.mov", 48, 10));
    test::CapturedOutput output;
    PeekVideo strip("count.mov", 64, 64, 4);
    EXPECT_EQ(output.err(), "video texture buffer size (KB): 64\n");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(strip.frame(0)) % 32, 0u);
    // Sampled at 0, 150, 300 and 450 of 600: frames 0, 2, 5 and 7 of the movie.
    for (int f = 0; f < 4; ++f)
        EXPECT_EQ(frameOf(strip.frame(f)), 5 * f / 2) << "frame " << f;

    // Wider than tall, so an upload with the sides swapped shows.
    PeekVideo video("count.mov", 32, 16, 10);
    EXPECT_EQ(boundSides(), std::pair(32, 16)); // its own texture left bound, not the strip's
    // clang-format off
    const std::pair<float, int> times[] = {{0.0f, 0}, {0.05f, 0}, {0.5f, 5}, {0.99f, 9}, {1.0f, 9},
        {2.0f, 9}, {-0.3f, 0}, {0.3f, 3}, {NAN, 0}, {1e30f, 9}};
    // clang-format on
    for (auto [time, frame] : times) {
        video.gotoFrameWithNTime(time);
        auto texels = boundTexels();
        ASSERT_EQ(texels.size(), 32u * 16u);
        EXPECT_EQ(frameOf(&texels[0]), frame) << time;
        EXPECT_EQ(frameOf(&texels.back()), frame) << time;
    }
    // Frames that cannot be had are transparent black, or not uploaded.
    ASSERT_TRUE(writeCountingMovie("empty.mov", 32, 0));
    // Movie, frame side, frame count, frame shown after creation, output. A zero-length movie,
    // no movie and no file give transparent black; no frames, or a block of 4 GiB that a
    // 32-bit product would wrap to 0, give no block and no upload.
    // clang-format off
    const std::tuple<const char*, int16_t, int16_t, int32_t, std::string> failures[] = {
        {"empty.mov", 32, 4, 0, "video texture buffer size (KB): 16\n"},
        {"missing.mov", 32, 4, 0, "video texture buffer size (KB): 16\n\nERROR: url->fsRef\n"},
        {"empty.mov", 32, 0, -1, ""}, {"empty.mov", 32, -2, -1, ""}, {"missing.mov", 256, 16384, -1, ""}};
    // clang-format on
    for (const auto& [name, side, frames, shown, out] : failures) {
        SCOPED_TRACE(name + (" x " + std::to_string(frames)));
        test::CapturedOutput said;
        PeekVideo broken(name, side, side, frames);
        EXPECT_TRUE(out.empty() || said.err() == out) << said.err();
        EXPECT_EQ(broken.shown(), shown);
        for (float t : {0.0f, 0.9f}) {
            broken.gotoFrameWithNTime(t);
            EXPECT_EQ(boundTexels(), std::vector<uint32_t>(shown < 0 ? 0 : 32 * 32, 0)) << t;
        }
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

// The peak of this process's address space in MiB: memory asked for counts
// even where it was never touched.
static long addressSpacePeak() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmPeak:", 0) == 0)
            return std::stol(line.substr(7)) / 1024;
    return -1;
}

TEST(MediaMovie, TimesSaturateAndHugeFramesOversizedFilesAndNoRegularFilesAreRefused) {
    // Probing the picture's stream decodes it: without the pixel cap there,
    // 16000 x 16000 pixels are asked for before the movie's own decoder refuses.
    const std::string seed = DRAVIN_SOURCE_DIR "/fuzz/image/corpus/fuzz_movie/huge-frame.png";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const long before = addressSpacePeak();
            auto movie = host::MediaMovie::open(seed);
            std::vector<uint8_t> pixels(16 * 16 * 4);
            bool drawn = movie && movie->renderFrame(0, pixels.data(), 16, 16, 64) == 0;
            std::exit(!drawn && addressSpacePeak() - before < 64 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    // Times at or beyond the ends of the range show the first and last pictures.
    ASSERT_TRUE(writeCountingMovie("ends.mov", 32, 10));
    auto movie = host::MediaMovie::open("ends.mov");
    ASSERT_TRUE(movie);
    std::vector<uint8_t> pixels(32 * 32 * 4);
    const std::pair<int64_t, int> times[] = {
        {INT64_MIN, 0}, {0, 0}, {movie->duration(), 9}, {INT64_MAX, 9}};
    for (auto [time, frame] : times) {
        ASSERT_EQ(movie->renderFrame(time, pixels.data(), 32, 32, 32 * 4), 0) << time;
        EXPECT_EQ(frameOf(pixels.data()), frame) << time;
    }
    // Followed by enough bytes to pass the file-size limit, the same movie is refused.
    fs::resize_file("ends.mov", host::kMediaMaxFileBytes + 1);
    EXPECT_FALSE(host::MediaMovie::open("ends.mov"));
    // No regular file: refused without waiting for a writer or reading for ever.
    ASSERT_EQ(mkfifo("pipe.mov", 0600), 0);
    for (const char* name : {"pipe.mov", "/dev/zero", "."})
        EXPECT_FALSE(host::MediaMovie::open(name)) << name;
}
