// Image files as common tools write them: ImageMagick and FFmpeg's encoders
// make one of each kind and variant from the same four-colour picture; each
// must be identified by content, and drawn with its colours, alpha and
// orientation where they belong.
#include "image/QTImage.h"
#include "tests/image/MediaFiles.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

using namespace testmedia;
using namespace host;

// Colours as each tool stores them: whole colours, grey (ImageMagick weighs
// channels as Rec. 709, FFmpeg as Rec. 601), or black and white.
enum class Colours { Exact, Grey709, Grey601, Bilevel };
// The alpha a probe should read: always opaque, the source's, or the
// source's rounded to none or full (a partial alpha is not looked at).
enum class Alpha { Opaque, Kept, Binary };

struct Kind {
    const char* file;
    const char* tool;        // ImageMagick's arguments between SRC and OUT, or an FFmpeg encoder
    const char* pixelFormat; // null for ImageMagick
    uint32_t type;
    Colours colours;
    Alpha alpha;
    int tolerance;
};

constexpr int kWidth = 48, kHeight = 32;
// No grey among them: FFmpeg's XPM reader does not know the X11 grey names
// ImageMagick writes for greys ("gray92"), and draws them black.
constexpr uint32_t kCorners[4] = {ARGB(255, 230, 30, 30), ARGB(128, 240, 230, 40),
                                  ARGB(0, 30, 40, 220), ARGB(255, 200, 235, 240)};

int channel(uint32_t c, int shift) {
    return int(c >> shift) & 0xff;
}

// The word a probe should read where the source has `c`, for the kind's colours.
uint32_t expected(Colours colours, uint32_t c) {
    const bool rec601 = colours == Colours::Grey601;
    int y = int((rec601 ? 0.299f : 0.2126f) * channel(c, 16) +
                (rec601 ? 0.587f : 0.7152f) * channel(c, 8) +
                (rec601 ? 0.114f : 0.0722f) * channel(c, 0) + 0.5f);
    if (colours == Colours::Bilevel)
        y = y >= 128 ? 255 : 0;
    return colours == Colours::Exact ? c : (c & 0xff000000u) | ARGB(0, y, y, y);
}

class ImageFormats : public ::testing::TestWithParam<Kind> {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(writeImage("source-alpha.png", kMediaTypePNG, kWidth, kHeight, corners()));
        ASSERT_TRUE(writeImage("source.png", kMediaTypePNG, kWidth, kHeight, corners(), false));
    }
    static std::vector<uint32_t> corners() {
        return quadrants(kWidth, kHeight, kCorners[0], kCorners[1], kCorners[2], kCorners[3]);
    }
};

TEST_P(ImageFormats, IsIdentifiedByContentAndDrawnTopRowFirstWithItsColours) {
    const Kind& k = GetParam();
    const bool withAlpha = k.alpha != Alpha::Opaque;
    if (k.pixelFormat) {
        auto pixels = corners();
        for (uint32_t& c : pixels)
            c |= withAlpha ? 0 : 0xff000000u;
        ASSERT_EQ(MediaWriteImageWithEncoder(k.file, k.tool, k.pixelFormat, kWidth, kHeight,
                                             pixels.data()),
                  0);
    } else {
        // A prefix such as "PNG8:" picks ImageMagick's variant of the kind.
        const std::string args = k.tool;
        const bool prefix = !args.empty() && args.back() == ':';
        std::string command = std::string(DRAVIN_CONVERT) +
                              (withAlpha ? " source-alpha.png " : " source.png ") +
                              (prefix ? args : args + " ") + k.file;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // Named after another kind, so only the content can tell.
    const std::string misnamed = std::string(k.file) + ".txt";
    std::filesystem::rename(k.file, misnamed);
    auto image = QTImage::imageFromPath("../Resources/" + misnamed);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->image_type, k.type) << std::hex << image->image_type;
    EXPECT_EQ(image->image_size.width, float(kWidth));
    EXPECT_EQ(image->image_size.height, float(kHeight));
    ASSERT_TRUE(image->LoadImageData() && image->CreateImageWithBitdepth(32, 512, 512));
    ASSERT_TRUE(image->image_loaded);
    // Each axis scaled on its own to fill a 64 x 32 buffer starting on a 32-byte boundary.
    ASSERT_EQ(image->buffer_size.width, 64.0f);
    ASSERT_EQ(image->buffer_size.height, 32.0f);
    EXPECT_EQ(image->buffer_memory_size, 64u * 32u * 4u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(image->aligned_buffer_ptr) % 32, 0u);
    // Scaling may move a channel by one even inside a quadrant.
    const int tolerance = std::max(k.tolerance, 1);
    for (int q = 0; q < 4; ++q) {
        const uint32_t want = expected(k.colours, kCorners[q] | (withAlpha ? 0 : 0xff000000u));
        const uint32_t got = wordAt(*image, q % 2 ? 48 : 16, q / 2 ? 24 : 8);
        SCOPED_TRACE(testing::Message()
                     << "quadrant " << q << std::hex << " got " << got << " want " << want);
        const int alpha = channel(got, 24), wantAlpha = channel(want, 24);
        if (k.alpha == Alpha::Kept || wantAlpha == 0 || wantAlpha == 255) {
            EXPECT_NEAR(alpha, wantAlpha, k.alpha == Alpha::Kept ? tolerance : 0);
        }
        // The colour under full transparency is the tool's to choose.
        for (int shift = 0; shift < 24 && wantAlpha != 0; shift += 8)
            EXPECT_NEAR(channel(got, shift), channel(want, shift), tolerance);
    }
}

using C = Colours;
using A = Alpha;

// clang-format off
const Kind kImageMagick[] = {
    {"rgb.png", "", nullptr, kMediaTypePNG, C::Exact, A::Opaque, 0},
    {"rgba.png", "", nullptr, kMediaTypePNG, C::Exact, A::Kept, 0},
    {"palette.png", "PNG8:", nullptr, kMediaTypePNG, C::Exact, A::Opaque, 0},
    {"palette-alpha.png", "PNG8:", nullptr, kMediaTypePNG, C::Exact, A::Binary, 0},
    {"grey.png", "-colorspace Gray", nullptr, kMediaTypePNG, C::Grey709, A::Opaque, 1},
    {"grey16.png", "-colorspace Gray -depth 16", nullptr, kMediaTypePNG, C::Grey709, A::Opaque, 1},
    {"rgb48.png", "PNG48:", nullptr, kMediaTypePNG, C::Exact, A::Opaque, 0},
    {"rgba64.png", "PNG64:", nullptr, kMediaTypePNG, C::Exact, A::Kept, 1},
    {"rgb.jpg", "", nullptr, kMediaTypeJPEG, C::Exact, A::Opaque, 6},
    {"grey.jpg", "-colorspace Gray", nullptr, kMediaTypeJPEG, C::Grey709, A::Opaque, 6},
    {"progressive.jpg", "-interlace Plane", nullptr, kMediaTypeJPEG, C::Exact, A::Opaque, 6},
    // FFmpeg turns CMYK into RGB without colour management: near, not exact.
    {"cmyk.jpg", "-colorspace CMYK", nullptr, kMediaTypeJPEG, C::Exact, A::Opaque, 24},
    {"rgb.tif", "", nullptr, kMediaTypeTIFF, C::Exact, A::Opaque, 1},
    {"rgba.tif", "", nullptr, kMediaTypeTIFF, C::Exact, A::Kept, 1},
    {"lzw.tif", "-compress LZW", nullptr, kMediaTypeTIFF, C::Exact, A::Opaque, 1},
        {"big-endian.tif", "-endian MSB", nullptr, kMediaTypeTIFF, C::Exact, A::Opaque, 1},
    {"rgb16.tif", "-depth 16", nullptr, kMediaTypeTIFF, C::Exact, A::Opaque, 1},
    {"grey.tif", "-colorspace Gray", nullptr, kMediaTypeTIFF, C::Grey709, A::Opaque, 1},
    {"palette.tif", "-type Palette", nullptr, kMediaTypeTIFF, C::Exact, A::Opaque, 1},
    {"cmyk.tif", "-colorspace CMYK", nullptr, kMediaTypeTIFF, C::Exact, A::Opaque, 2},
    {"fax.tif", "-threshold 50% -type Bilevel -compress Group4", nullptr, kMediaTypeTIFF, C::Bilevel, A::Opaque, 0},
    {"rgb.gif", "", nullptr, kMediaTypeGIF, C::Exact, A::Opaque, 1},
    {"alpha.gif", "", nullptr, kMediaTypeGIF, C::Exact, A::Binary, 1},
    // Animated: the first frame is the picture, the second is black.
    {"animated.gif", "-delay 10 \\( -size 48x32 xc:black \\)", nullptr, kMediaTypeGIF, C::Exact, A::Opaque, 1},
    {"rgb.bmp", "", nullptr, kMediaTypeBMP, C::Exact, A::Opaque, 0},
    {"v3.bmp", "BMP3:", nullptr, kMediaTypeBMP, C::Exact, A::Opaque, 0},
    {"rgba.bmp", "", nullptr, kMediaTypeBMP, C::Exact, A::Kept, 1},
    {"palette.bmp", "-type Palette", nullptr, kMediaTypeBMP, C::Exact, A::Opaque, 1},
    {"rle.bmp", "-type Palette -compress RLE", nullptr, kMediaTypeBMP, C::Exact, A::Opaque, 1},
    {"grey.bmp", "-colorspace Gray", nullptr, kMediaTypeBMP, C::Grey709, A::Opaque, 1},
    {"lossy.webp", "", nullptr, kMediaTypeWebP, C::Exact, A::Opaque, 16},
    {"lossy-alpha.webp", "", nullptr, kMediaTypeWebP, C::Exact, A::Kept, 16},
    {"lossless.webp", "-define webp:lossless=true", nullptr, kMediaTypeWebP, C::Exact, A::Opaque, 0},
    {"lossless-alpha.webp", "-define webp:lossless=true", nullptr, kMediaTypeWebP, C::Exact, A::Kept, 1},
    {"icon.ico", "", nullptr, kMediaTypeICO, C::Exact, A::Kept, 1},
    {"rgb.ppm", "", nullptr, kMediaTypePNM, C::Exact, A::Opaque, 1},
    {"grey.pgm", "", nullptr, kMediaTypePNM, C::Grey709, A::Opaque, 1},
    {"bilevel.pbm", "-threshold 50%", nullptr, kMediaTypePNM, C::Bilevel, A::Opaque, 0},
    {"rgba.pam", "", nullptr, kMediaTypePNM, C::Exact, A::Kept, 1},
    {"raw.psd", "-compress None", nullptr, kMediaTypePSD, C::Exact, A::Kept, 1},
    {"a.jp2", "", nullptr, kMediaTypeJPEG2000, C::Exact, A::Opaque, 2},
    {"a.j2k", "", nullptr, kMediaTypeJPEG2000, C::Exact, A::Opaque, 2},
    // ImageMagick's own orientation flag is only right when it is asked for.
    {"rgba.tga", "-orient TopLeft", nullptr, kMediaTypeTGA, C::Exact, A::Kept, 1},
    {"rle.tga", "-orient TopLeft -compress RLE", nullptr, kMediaTypeTGA, C::Exact, A::Opaque, 1},
    {"palette.tga", "-orient TopLeft -type Palette", nullptr, kMediaTypeTGA, C::Exact, A::Opaque, 1},
    {"a.sgi", "", nullptr, kMediaTypeSGI, C::Exact, A::Opaque, 1},
    {"a.ras", "", nullptr, kMediaTypeSunRaster, C::Exact, A::Opaque, 1},
    {"a.pcx", "", nullptr, kMediaTypePCX, C::Exact, A::Opaque, 1},
    {"palette.pcx", "-type Palette", nullptr, kMediaTypePCX, C::Exact, A::Opaque, 1},
    {"a.xbm", "-threshold 50%", nullptr, kMediaTypeXBM, C::Bilevel, A::Opaque, 0},
    {"a.xpm", "", nullptr, kMediaTypeXPM, C::Exact, A::Opaque, 1},
    {"alpha.xpm", "", nullptr, kMediaTypeXPM, C::Exact, A::Binary, 1},
    {"a.xwd", "", nullptr, kMediaTypeXWD, C::Exact, A::Opaque, 1},
    {"rgba.dds", "-define dds:compression=none", nullptr, kMediaTypeDDS, C::Exact, A::Kept, 1},
    {"dxt.dds", "", nullptr, kMediaTypeDDS, C::Exact, A::Kept, 24},
    {"a.dpx", "", nullptr, kMediaTypeDPX, C::Exact, A::Opaque, 1},
};

const Kind kFFmpeg[] = {
    {"ff.png", "png", "rgb24", kMediaTypePNG, C::Exact, A::Opaque, 0},
    {"ff-grey16.png", "png", "gray16be", kMediaTypePNG, C::Grey601, A::Opaque, 1},
    {"ff-rgba64.png", "png", "rgba64be", kMediaTypePNG, C::Exact, A::Kept, 1},
    {"ff.jpg", "mjpeg", "yuvj420p", kMediaTypeJPEG, C::Exact, A::Opaque, 8},
    {"ff-grey.tif", "tiff", "gray", kMediaTypeTIFF, C::Grey601, A::Opaque, 1},
    {"ff-rgb555.bmp", "bmp", "rgb555le", kMediaTypeBMP, C::Exact, A::Opaque, 8},
    // Without a palette of its own, FFmpeg's GIF has 3-3-2 colours.
    {"ff.gif", "gif", "rgb8", kMediaTypeGIF, C::Exact, A::Opaque, 60},
    {"ff.webp", "libwebp", "yuv420p", kMediaTypeWebP, C::Exact, A::Opaque, 16},
    {"ff-alpha.webp", "libwebp", "yuva420p", kMediaTypeWebP, C::Exact, A::Kept, 16},
    {"ff.tga", "targa", "bgra", kMediaTypeTGA, C::Exact, A::Kept, 0},
    {"ff.pam", "pam", "rgba", kMediaTypePNM, C::Exact, A::Kept, 0},
    {"ff.j2k", "jpeg2000", "rgb24", kMediaTypeJPEG2000, C::Exact, A::Opaque, 16},
    {"ff.qoi", "qoi", "rgba", kMediaTypeQOI, C::Exact, A::Kept, 0},
};
// clang-format on

void PrintTo(const Kind& k, std::ostream* os) {
    *os << k.file;
}

std::string kindName(const ::testing::TestParamInfo<Kind>& info) {
    std::string name = info.param.file;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(ImageMagick, ImageFormats, ::testing::ValuesIn(kImageMagick), kindName);
INSTANTIATE_TEST_SUITE_P(FFmpeg, ImageFormats, ::testing::ValuesIn(kFFmpeg), kindName);

} // namespace
