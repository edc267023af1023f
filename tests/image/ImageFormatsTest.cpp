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

uint32_t channel(uint32_t c, int shift) {
    return (c >> shift) & 0xff;
}

int grey(uint32_t c, float r, float g, float b) {
    return int(r * channel(c, 16) + g * channel(c, 8) + b * channel(c, 0) + 0.5f);
}

// Scaling 48 to 64 columns may move a channel by one even inside a quadrant.
void expectDrawn(const Kind& k, uint32_t source, uint32_t got, bool withAlpha) {
    const int tolerance = std::max(k.tolerance, 1);
    const uint32_t a = withAlpha ? channel(source, 24) : 255;
    uint32_t want = source;
    if (k.colours != Colours::Exact) {
        int y = k.colours == Colours::Grey709   ? grey(source, 0.2126f, 0.7152f, 0.0722f)
                : k.colours == Colours::Grey601 ? grey(source, 0.299f, 0.587f, 0.114f)
                : grey(source, 0.2126f, 0.7152f, 0.0722f) >= 128 ? 255
                                                                 : 0;
        want = ARGB(0, y, y, y);
    }
    const int alpha = int(channel(got, 24));
    if (k.alpha == Alpha::Opaque || a == 255) {
        EXPECT_EQ(alpha, 255) << std::hex << got;
    } else if (k.alpha == Alpha::Kept) {
        EXPECT_NEAR(alpha, int(a), tolerance) << std::hex << got;
    } else if (a == 0) {
        EXPECT_EQ(alpha, 0) << std::hex << got;
    }
    if (k.alpha != Alpha::Opaque && a == 0)
        return; // the colour under full transparency is the tool's to choose
    for (int shift : {16, 8, 0})
        EXPECT_NEAR(int(channel(got, shift)), int(channel(want, shift)), tolerance)
            << std::hex << got << " want " << want;
}

class ImageFormats : public ::testing::TestWithParam<Kind> {
  protected:
    static void SetUpTestSuite() {
        auto corners =
            quadrants(kWidth, kHeight, kCorners[0], kCorners[1], kCorners[2], kCorners[3]);
        ASSERT_TRUE(writeImage("source-alpha.png", kMediaTypePNG, kWidth, kHeight, corners));
        ASSERT_TRUE(writeImage("source.png", kMediaTypePNG, kWidth, kHeight, corners, false));
    }
};

TEST_P(ImageFormats, IsIdentifiedByContentAndDrawnTopRowFirstWithItsColours) {
    const Kind& k = GetParam();
    const bool withAlpha = k.alpha != Alpha::Opaque;
    if (k.pixelFormat) {
        auto corners =
            quadrants(kWidth, kHeight, kCorners[0], kCorners[1], kCorners[2], kCorners[3]);
        if (!withAlpha)
            for (uint32_t& c : corners)
                c |= 0xff000000u;
        ASSERT_EQ(MediaWriteImageWithEncoder(k.file, k.tool, k.pixelFormat, kWidth, kHeight,
                                             corners.data()),
                  0);
    } else {
        // A prefix such as PNG8: picks ImageMagick's variant; the file keeps its plain name.
        std::string out = k.file, args = k.tool;
        if (size_t colon = args.rfind(':'); colon != std::string::npos && args.back() == ':') {
            out = args.substr(args.rfind(' ', colon) + 1) + out;
            args.erase(args.rfind(' ', colon) + 1);
        }
        std::string command = std::string("'") + DRAVIN_CONVERT + "' " +
                              (withAlpha ? "source-alpha.png " : "source.png ") + args + " '" +
                              out + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // Named after another kind, so only the content can tell.
    std::string misnamed = std::string(k.file) + ".txt";
    std::filesystem::rename(k.file, misnamed);
    auto image = QTImage::imageFromPath("../Resources/" + misnamed);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->image_type, k.type) << std::hex << image->image_type;
    EXPECT_EQ(image->image_size.width, float(kWidth));
    EXPECT_EQ(image->image_size.height, float(kHeight));
    ASSERT_TRUE(image->LoadImageData() && image->CreateImageWithBitdepth(32, 512, 512));
    ASSERT_TRUE(image->image_loaded);
    ASSERT_EQ(image->buffer_size.width, 64.0f);
    ASSERT_EQ(image->buffer_size.height, 32.0f);
    for (int q = 0; q < 4; ++q) {
        SCOPED_TRACE("quadrant " + std::to_string(q));
        uint32_t got;
        const int x = q % 2 ? 48 : 16, y = q / 2 ? 24 : 8;
        std::memcpy(&got, image->aligned_buffer_ptr + (y * 64 + x) * 4, 4);
        expectDrawn(k, kCorners[q], got, withAlpha);
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
    {"zip.tif", "-compress Zip", nullptr, kMediaTypeTIFF, C::Exact, A::Opaque, 1},
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
    {"ff.ppm", "ppm", "rgb24", kMediaTypePNM, C::Exact, A::Opaque, 0},
    {"ff.pgm", "pgm", "gray", kMediaTypePNM, C::Grey601, A::Opaque, 1},
    {"ff.pam", "pam", "rgba", kMediaTypePNM, C::Exact, A::Kept, 0},
    {"ff.j2k", "jpeg2000", "rgb24", kMediaTypeJPEG2000, C::Exact, A::Opaque, 16},
    {"ff.sgi", "sgi", "rgb24", kMediaTypeSGI, C::Exact, A::Opaque, 0},
    {"ff.ras", "sunrast", "bgr24", kMediaTypeSunRaster, C::Exact, A::Opaque, 0},
    {"ff.pcx", "pcx", "rgb24", kMediaTypePCX, C::Exact, A::Opaque, 0},
    {"ff.xwd", "xwd", "rgb24", kMediaTypeXWD, C::Exact, A::Opaque, 0},
    {"ff.dpx", "dpx", "rgb24", kMediaTypeDPX, C::Exact, A::Opaque, 0},
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
