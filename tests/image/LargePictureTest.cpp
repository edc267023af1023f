// Pictures larger than any texture: decoded reduced where the decoder can,
// refused with one line over the limits, the same picture whatever the way.
#include "tests/image/MediaFiles.h"

#include <cstdlib>
#include <tuple>

namespace {

// A 16 x 16 JPEG whose frame header says width x height; progressive turns
// its baseline header into a progressive one, exifBytes puts a segment of
// camera data that long first, as a phone does. Only the header is read
// before the limits are applied.
std::vector<uint8_t> jpegClaiming(int width, int height, bool progressive, int exifBytes = 0) {
    if (!writeSolid("header.jpg", 16, ARGB(255, 9, 9, 9), host::kMediaTypeJPEG))
        return {};
    std::vector<uint8_t> bytes;
    host::MediaReadFile("header.jpg", bytes);
    for (size_t i = 0; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xff && bytes[i + 1] == 0xc0) {
            bytes[i + 1] = progressive ? 0xc2 : 0xc0;
            bytes[i + 5] = uint8_t(height >> 8), bytes[i + 6] = uint8_t(height);
            bytes[i + 7] = uint8_t(width >> 8), bytes[i + 8] = uint8_t(width);
            std::vector<uint8_t> exif = {0xff, 0xe1, uint8_t((exifBytes + 2) >> 8),
                                         uint8_t(exifBytes + 2)};
            exif.resize(exif.size() + size_t(exifBytes), 0xff); // markers' look, inside a segment
            if (exifBytes > 0)
                bytes.insert(bytes.begin() + 2, exif.begin(), exif.end());
            return bytes;
        }
    return {};
}

// A PNG signature and header chunk alone.
std::vector<uint8_t> pngClaiming(uint32_t width, uint32_t height, uint8_t bits, uint8_t colour) {
    std::vector<uint8_t> b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n',
                              0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    for (uint32_t v : {width, height})
        for (int shift : {24, 16, 8, 0})
            b.push_back(uint8_t(v >> shift));
    b.insert(b.end(), {bits, colour, 0, 0, 0, 0, 0, 0, 0});
    return b;
}

} // namespace

TEST(LargePicture, UpTo2To28PixelsIsIdentifiedAndOverALimitIsRefusedNamingSizeAndLimit) {
    // The picture's header, the phrase that refuses it ("" for none). A JPEG
    // decodes at an eighth, but a progressive one keeps every coefficient
    // (16 bits a sample) at full size; a PNG decodes whole. (A JPEG this
    // large within the limits needs its scan data to be taken: the real
    // pictures of the next test.)
    const std::string memory = " MiB to decode, more than the limit of 1024 MiB";
    const std::tuple<const char*, std::vector<uint8_t>, std::string> cases[] = {
        {"JPEG 20000 x 20000", jpegClaiming(20000, 20000, false),
         "20000 x 20000 pixels, more than the limit of 268435456 (2^28)"},
        {"JPEG 30000 x 20000 after 65533 bytes of camera data",
         jpegClaiming(30000, 20000, false, 65533),
         "30000 x 20000 pixels, more than the limit of 268435456 (2^28)"},
        {"progressive JPEG 14000 x 14000", jpegClaiming(14000, 14000, true),
         "14000 x 14000 pixels, needing 1131" + memory},
        {"PNG 16384 x 16384 RGB", pngClaiming(16384, 16384, 8, 2),
         "16384 x 16384 pixels, more than the decoder's limit: (width + 128) x (height + 128) "
         "under 2^28"},
        {"PNG 16000 x 16000 RGBA", pngClaiming(16000, 16000, 8, 6), ""},
        {"PNG 12000 x 12000 RGBA, 16 bits", pngClaiming(12000, 12000, 16, 6),
         "12000 x 12000 pixels, needing 1099" + memory}};
    for (const auto& [what, bytes, refusal] : cases) {
        SCOPED_TRACE(what);
        ASSERT_FALSE(bytes.empty());
        host::MediaImageDescription d;
        EXPECT_EQ(host::MediaIdentifyImage(bytes.data(), bytes.size(), d),
                  refusal.empty() ? host::kMediaNoError : host::kMediaErrTooLarge);
        EXPECT_EQ(host::MediaImageOverLimit(d), refusal);
        EXPECT_TRUE(d.width >= 12000 && d.height >= 12000); // described even when refused
    }
}

TEST(LargePicture, AJpegDecodedReducedFillsEachBufferAsTheSamePictureDecodedWhole) {
    // 4000 x 3000 in four colours, as a PNG (decoded whole), a JPEG and a
    // progressive JPEG (decoded at a half, a quarter or an eighth, whatever
    // still covers the buffer): each quadrant's centre the same, within what
    // the JPEG's loss allows.
    ASSERT_TRUE(
        writeImage("four.png", host::kMediaTypePNG, 4000, 3000,
                   quadrants(4000, 3000, {0xffc82828, 0xff28c828, 0xff2828c8, 0xffdcdc3c})));
    const std::string convert = std::string(DRAVIN_CONVERT) + " four.png -quality 95 ";
    ASSERT_EQ(std::system((convert + "four.jpg && " + convert + "-interlace JPEG p.jpg").c_str()),
              0);
    for (auto [w, h] : {std::pair(1024, 1024), std::pair(512, 256), std::pair(16, 16)}) {
        auto centres = [w = w, h = h](const char* name) {
            auto image = QTImage::imageFromPath(std::string("../Resources/") + name);
            std::vector<int> channels;
            if (image && image->LoadImageData() && image->CreateImageWithBitdepth(32, w, h) &&
                image->image_loaded && image->buffer_size.width == w)
                for (int q = 0; q < 4; ++q)
                    for (int shift : {0, 8, 16, 24})
                        channels.push_back(
                            wordAt(*image, w * (1 + q % 2 * 2) / 4, h * (1 + q / 2 * 2) / 4) >>
                                shift &
                            0xff);
            return channels;
        };
        const auto whole = centres("four.png");
        ASSERT_EQ(whole.size(), 16u);
        for (const char* name : {"four.jpg", "p.jpg"}) {
            const auto reduced = centres(name);
            ASSERT_EQ(reduced.size(), 16u) << name;
            for (size_t i = 0; i < 16; ++i)
                EXPECT_NEAR(reduced[i], whole[i], 6) << name << " into " << w << " x " << h;
        }
    }
}
