// Image files as common tools write them: ImageMagick and FFmpeg's encoders
// make one of each kind and variant from the same four-colour picture; each
// must be identified by content, and drawn with its colours, alpha and
// orientation where they belong.
#include "tests/image/MediaFiles.h"

#include <cstdlib>
#include <sstream>

using namespace host;

// One row of ImageKinds.txt, which says what the columns mean.
struct Kind {
    std::string file;
    uint32_t type{};
    std::string colours, alpha;
    int tolerance{};
    std::vector<std::string> how;
};

std::vector<Kind> readKinds() {
    std::vector<Kind> kinds;
    std::ifstream table(DRAVIN_SOURCE_DIR "/tests/image/ImageKinds.txt");
    for (std::string line; std::getline(table, line);) {
        std::istringstream row(line);
        Kind k;
        std::string type;
        if (line[0] == '#' || !(row >> k.file >> type >> k.colours >> k.alpha >> k.tolerance))
            continue;
        type.resize(4, ' ');
        k.type = FourCC(type[0], type[1], type[2], type[3]);
        for (std::string word; row >> word;)
            k.how.push_back(word);
        kinds.push_back(k);
    }
    return kinds;
}

constexpr int kWidth = 48, kHeight = 32;
// No grey among them: FFmpeg's XPM reader does not know the X11 grey names
// ImageMagick writes for greys ("gray92"), and draws them black.
constexpr std::array<uint32_t, 4> kCorners = {ARGB(255, 230, 30, 30), ARGB(128, 240, 230, 40),
                                              ARGB(0, 30, 40, 220), ARGB(255, 200, 235, 240)};

int channel(uint32_t c, int shift) {
    return int(c >> shift) & 0xff;
}

// The word a probe should read where the source has `c`, for the kind's colours.
uint32_t expected(const std::string& colours, uint32_t c) {
    const bool rec601 = colours == "grey601";
    int y = int((rec601 ? 0.299f : 0.2126f) * channel(c, 16) +
                (rec601 ? 0.587f : 0.7152f) * channel(c, 8) +
                (rec601 ? 0.114f : 0.0722f) * channel(c, 0) + 0.5f);
    if (colours == "bilevel")
        y = y >= 128 ? 255 : 0;
    return colours == "exact" ? c : (c & 0xff000000u) | ARGB(0, y, y, y);
}

const auto kPicture = quadrants(kWidth, kHeight, kCorners);

class ImageFormats : public ::testing::TestWithParam<Kind> {};

TEST_P(ImageFormats, IsIdentifiedByContentAndDrawnTopRowFirstWithItsColours) {
    // The sources ImageMagick converts, with and without alpha.
    static const bool sources =
        writeImage("source-alpha.png", kMediaTypePNG, kWidth, kHeight, kPicture) &&
        writeImage("source.png", kMediaTypePNG, kWidth, kHeight, kPicture, false);
    ASSERT_TRUE(sources);
    const Kind& k = GetParam();
    SCOPED_TRACE(k.file);
    const bool withAlpha = k.alpha != "opaque";
    auto pixels = kPicture;
    for (uint32_t& c : pixels)
        c |= withAlpha ? 0 : 0xff000000u;
    // A row too short for its kind throws at the missing word.
    if (k.how.at(0) == "ffmpeg") {
        ASSERT_EQ(0, MediaWriteImageWithEncoder(k.file, k.how.at(1), k.how.at(2), kWidth, kHeight,
                                                pixels.data()));
    } else if (k.how[0] == "ffmpeg-animation") { // the picture, then a black frame
        auto paint = [&](int32_t f, uint32_t* p) {
            for (size_t i = 0; i < pixels.size(); ++i)
                p[i] = f == 0 ? pixels[i] : 0xff000000u;
        };
        MediaMovieDescription m{.path = k.file, .fps = 10, .paint = paint};
        m.container = k.how[1], m.encoder = k.how[2], m.pixelFormat = k.how.at(3);
        m.width = kWidth, m.height = kHeight, m.frameCount = 2, m.keyInterval = 1;
        ASSERT_EQ(MediaWriteMovie(m), 0);
    } else {
        std::string command =
            std::string(DRAVIN_CONVERT) + (withAlpha ? " source-alpha.png" : " source.png");
        for (size_t i = 1; i < k.how.size(); ++i)
            command += " " + k.how[i];
        // An argument ending in ":" is the variant prefix of the file name.
        command += k.how.back().back() == ':' ? k.file : " " + k.file;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // Named after another kind, so only the content can tell.
    const std::string misnamed = k.file + ".txt";
    fs::rename(k.file, misnamed);
    auto image = QTImage::imageFromPath("../Resources/" + misnamed);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->image_type, k.type) << std::hex << image->image_type;
    EXPECT_EQ(image->image_size.width, float(kWidth));
    EXPECT_EQ(image->image_size.height, float(kHeight));
    ASSERT_TRUE(image->LoadImageData() && image->CreateImageWithBitdepth(32, 512, 512) &&
                image->image_loaded);
    // Each axis scaled on its own to fill a 64 x 32 buffer starting on a 32-byte boundary.
    ASSERT_EQ(image->buffer_memory_size, 64u * 32u * 4u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(image->aligned_buffer_ptr) % 32, 0u);
    // Scaling may move a channel by one even inside a quadrant.
    const int tolerance = std::max(k.tolerance, 1);
    for (int q = 0; q < 4; ++q) {
        const uint32_t want = expected(k.colours, kCorners[q] | (withAlpha ? 0 : 0xff000000u));
        const uint32_t got = wordAt(*image, q % 2 ? 48 : 16, q / 2 ? 24 : 8);
        SCOPED_TRACE(testing::Message()
                     << "quadrant " << q << std::hex << " got " << got << " want " << want);
        const int alpha = channel(got, 24), wantAlpha = channel(want, 24);
        if (k.alpha == "kept" || wantAlpha == 0 || wantAlpha == 255) {
            EXPECT_NEAR(alpha, wantAlpha, k.alpha == "kept" ? tolerance : 0);
        }
        // The colour under full transparency is the tool's to choose.
        for (int shift = 0; shift < 24 && wantAlpha != 0; shift += 8)
            EXPECT_NEAR(channel(got, shift), channel(want, shift), tolerance);
    }
}

INSTANTIATE_TEST_SUITE_P(CommonTools, ImageFormats, ::testing::ValuesIn(readKinds()));
