// Writes the image and movie files the image tests and fuzz seeds are made of
// into a folder: testmedia <folder>.
#include "host/Media.h"
#include "host/MediaWriter.h"

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

bool report(const std::string& name, int r) {
    if (r != 0)
        std::fprintf(stderr, "testmedia: %s failed (%d)\n", name.c_str(), r);
    return r == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: testmedia <folder>\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
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
    // A sound header and a cut-off picture.
    {
        std::ifstream in(dir + "alpha.png", std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream(dir + "truncated.png", std::ios::binary)
            << bytes.substr(0, std::min<size_t>(bytes.size(), 60));
    }
    std::ofstream(dir + "text.png") << "this is text with an image's name\n";
    ok &= report("count.mov", host::MediaWriteMovie(dir + "count.mov", 32, 32, 10, 10, 4,
                                                    [](int32_t f, uint32_t* p) {
                                                        uint32_t g = uint32_t(20 + 22 * f);
                                                        std::fill_n(p, 32 * 32, argb(255, g, g, g));
                                                    }));
    ok &= report("empty.mov", host::MediaWriteMovie(dir + "empty.mov", 32, 32, 10, 0, 1,
                                                    [](int32_t, uint32_t*) {}));
    return ok ? 0 : 1;
}
