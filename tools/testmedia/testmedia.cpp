// Writes the image and movie files the fuzz seeds are made of:
// testmedia <image folder> <movie folder>.
#include "host/media/Media.h"
#include "host/media/MediaWriter.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

uint32_t argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

std::vector<uint32_t> quadrants(int w, int h) {
    const uint32_t colours[4] = {argb(255, 250, 10, 10), argb(200, 10, 240, 10),
                                 argb(128, 10, 10, 230), argb(60, 220, 220, 30)};
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[size_t(y) * w + x] = colours[(y >= h / 2) * 2 + (x >= w / 2)];
    return pixels;
}

uint32_t crc32(const uint8_t* p, size_t n) {
    uint32_t c = 0xffffffffu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1u)));
    }
    return ~c;
}

void putBigEndian32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + i] = char(v >> (24 - 8 * i));
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool report(const std::string& name, int r) {
    if (r != 0)
        std::fprintf(stderr, "testmedia: %s failed (%d)\n", name.c_str(), r);
    return r == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: testmedia <image folder> <movie folder>\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/", movieDir = std::string(argv[2]) + "/";
    const int w = 24, h = 16;
    auto pixels = quadrants(w, h);
    bool ok = true;
    ok &= report("alpha.png", host::MediaWriteImage(dir + "alpha.png", host::kMediaTypePNG, w, h,
                                                    pixels.data(), true));
    ok &= report("opaque.png", host::MediaWriteImage(dir + "opaque.png", host::kMediaTypePNG, w, h,
                                                     pixels.data(), false));
    ok &= report("photo.jpg", host::MediaWriteImage(dir + "photo.jpg", host::kMediaTypeJPEG, w, h,
                                                    pixels.data(), false));
    ok &= report("default.tif", host::MediaWriteImage(dir + "default.tif", host::kMediaTypeTIFF, w,
                                                      h, pixels.data(), true));
    ok &= report("opaque.bmp", host::MediaWriteImage(dir + "opaque.bmp", host::kMediaTypeBMP, w, h,
                                                     pixels.data(), false));
    // Kinds identified by content through other demuxers, or by a header check.
    const struct {
        const char* name;
        const char* encoder;
        const char* format;
    } encoded[] = {{"palette.gif", "gif", "rgb8"}, {"lossy.webp", "libwebp", "yuva420p"},
                   {"rgba.tga", "targa", "bgra"},  {"rgba.pam", "pam", "rgba"},
                   {"rgba.qoi", "qoi", "rgba"},    {"grey16.png", "png", "gray16be"}};
    for (const auto& e : encoded)
        ok &= report(e.name, host::MediaWriteImageWithEncoder(dir + e.name, e.encoder, e.format, w,
                                                              h, pixels.data()));
    ok &= report("animated.png",
                 host::MediaWriteMovie({.path = dir + "animated.png",
                                        .container = "apng",
                                        .encoder = "apng",
                                        .pixelFormat = "rgba",
                                        .width = w,
                                        .height = h,
                                        .fps = 10,
                                        .frameCount = 2,
                                        .keyInterval = 1,
                                        .paint = [&](int32_t f, uint32_t* p) {
                                            std::copy(pixels.begin(), pixels.end(), p);
                                            if (f > 0)
                                                std::fill_n(p, w * h, argb(255, 0, 0, 0));
                                        }}));
    // A sound header and a cut-off picture.
    const std::string png = readAll(dir + "alpha.png");
    std::ofstream(dir + "truncated.png", std::ios::binary)
        << png.substr(0, std::min<size_t>(png.size(), 60));
    // A picture whose header declares 16000 x 16000 pixels over a few bytes of
    // data: opened as a movie, its streams are probed by decoding it.
    std::string huge = png;
    putBigEndian32(huge, 16, 16000);
    putBigEndian32(huge, 20, 16000);
    putBigEndian32(huge, 29, crc32(reinterpret_cast<const uint8_t*>(huge.data()) + 12, 17));
    std::ofstream(movieDir + "huge-frame.png", std::ios::binary) << huge;
    std::ofstream(dir + "text.png") << "this is text with an image's name\n";
    ok &=
        report("count.mov", host::MediaWriteMovie({.path = movieDir + "count.mov",
                                                   .width = 32,
                                                   .height = 32,
                                                   .fps = 10,
                                                   .frameCount = 10,
                                                   .keyInterval = 4,
                                                   .paint = [](int32_t f, uint32_t* p) {
                                                       uint32_t g = uint32_t(20 + 22 * f);
                                                       std::fill_n(p, 32 * 32, argb(255, g, g, g));
                                                   }}));
    ok &= report("empty.mov", host::MediaWriteMovie({.path = movieDir + "empty.mov",
                                                     .width = 32,
                                                     .height = 32,
                                                     .fps = 10,
                                                     .frameCount = 0,
                                                     .keyInterval = 1,
                                                     .paint = [](int32_t, uint32_t*) {}}));
    return ok ? 0 : 1;
}
