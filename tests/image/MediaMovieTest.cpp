#include "host/Media.h"
#include "tests/image/MediaFiles.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

class MediaMovieTest : public ::testing::Test {
  protected:
    testmedia::ResourceDir dir;
    std::vector<uint32_t> pixels = std::vector<uint32_t>(16 * 16);
    int render(host::MediaMovie& movie, int64_t time) {
        return movie.renderFrame(time, reinterpret_cast<uint8_t*>(pixels.data()), 16, 16, 16 * 4);
    }
};

TEST_F(MediaMovieTest, DurationIsInSixHundredthsOfASecond) {
    ASSERT_TRUE(testmedia::writeCountingMovie(dir.path("m.mov"), 32, 32, 10, 10, 4));
    auto movie = host::MediaMovie::open(dir.path("m.mov"));
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->duration(), 600);
}

TEST_F(MediaMovieTest, RendersThePictureShownAtEachTimeInAnyOrder) {
    // Key frames every 4: most times need decoding forward from an earlier key frame.
    ASSERT_TRUE(testmedia::writeCountingMovie(dir.path("m.mov"), 32, 32, 10, 10, 4));
    auto movie = host::MediaMovie::open(dir.path("m.mov"));
    ASSERT_TRUE(movie);
    const struct {
        int64_t time;
        int frame;
    } cases[] = {{0, 0},   {540, 9}, {300, 5}, {60, 1},  {359, 5},
                 {420, 7}, {180, 3}, {59, 0},  {6000, 9}};
    for (const auto& c : cases) {
        ASSERT_EQ(render(*movie, c.time), 0) << c.time;
        EXPECT_EQ(testmedia::frameOfGrey(pixels[0]), c.frame) << "time " << c.time;
        EXPECT_EQ(testmedia::frameOfGrey(pixels[15 * 16 + 15]), c.frame) << "time " << c.time;
        EXPECT_EQ(pixels[0] >> 24, 0xffu);
    }
}

TEST_F(MediaMovieTest, MovieWithoutFramesHasZeroDurationAndRendersNothing) {
    ASSERT_TRUE(testmedia::writeCountingMovie(dir.path("empty.mov"), 32, 32, 10, 0, 1));
    auto movie = host::MediaMovie::open(dir.path("empty.mov"));
    if (!movie)
        return; // refusing it at opening is as good
    EXPECT_EQ(movie->duration(), 0);
    pixels.assign(pixels.size(), 0x12345678u);
    EXPECT_NE(render(*movie, 0), 0);
    EXPECT_EQ(pixels[0], 0x12345678u);
}

TEST_F(MediaMovieTest, FilesThatAreNoMovieDoNotOpen) {
    ASSERT_TRUE(testmedia::writeText(dir.path("text.mov"), "not a movie at all"));
    EXPECT_FALSE(host::MediaMovie::open(dir.path("text.mov")));
    EXPECT_FALSE(host::MediaMovie::open(dir.path("missing.mov")));
    EXPECT_FALSE(host::MediaMovie::open(dir.path(""))); // a directory
}

} // namespace
