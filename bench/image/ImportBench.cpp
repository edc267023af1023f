// Imports a generated 2048 x 2048 RGBA PNG into a 1024 x 1024 buffer through
// QTImage, and does the same with stb_image + stb_image_resize, in one run.
// Prints the median time of each and their ratio.
#include "host/media/Media.h"
#include "host/media/MediaWriter.h"
#include "image/QTImage.h"

#include <stb_image.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

constexpr int kSide = 2048;
constexpr int kBuffer = 1024;
constexpr int kRounds = 9;

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Smooth gradients with some grain: compresses like a photograph, not like a flat fill.
std::vector<uint32_t> makePicture() {
    std::vector<uint32_t> pixels(size_t(kSide) * kSide);
    uint32_t noise = 12345;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            noise = noise * 1664525u + 1013904223u;
            uint32_t grain = (noise >> 28) & 7;
            uint32_t a = 128 + ((x + y) >> 5) % 128;
            uint32_t r = ((x >> 3) + grain) & 0xff;
            uint32_t g = ((y >> 3) + grain) & 0xff;
            uint32_t b = (((x ^ y) >> 4) + grain) & 0xff;
            pixels[size_t(y) * kSide + x] = a << 24 | r << 16 | g << 8 | b;
        }
    return pixels;
}

} // namespace

int main() {
    auto dir = std::filesystem::temp_directory_path() / "dravin-image-bench";
    std::filesystem::create_directories(dir);
    std::string path = (dir / "bench.png").string();
    auto picture = makePicture();
    if (host::MediaWriteImage(path, host::kMediaTypePNG, kSide, kSide, picture.data(), true) != 0) {
        std::fprintf(stderr, "could not write %s\n", path.c_str());
        return 1;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    std::printf("input: %d x %d RGBA PNG, %zu bytes; buffer %d x %d\n", kSide, kSide, bytes.size(),
                kBuffer, kBuffer);

    std::vector<double> ours, theirs;
    std::vector<unsigned char> out(size_t(kBuffer) * kBuffer * 4);
    for (int round = 0; round < kRounds; ++round) {
        auto t0 = Clock::now();
        {
            // The whole import: identify, read, decode, scale.
            auto image = QTImage::imageFromPath(path);
            if (!image || !image->LoadImageData() ||
                !image->CreateImageWithBitdepth(32, kBuffer, kBuffer) || !image->image_loaded) {
                std::fprintf(stderr, "import failed\n");
                return 1;
            }
        }
        auto t1 = Clock::now();
        {
            std::ifstream file(path, std::ios::binary);
            std::vector<unsigned char> data((std::istreambuf_iterator<char>(file)),
                                            std::istreambuf_iterator<char>());
            int w = 0, h = 0, channels = 0;
            unsigned char* decoded =
                stbi_load_from_memory(data.data(), int(data.size()), &w, &h, &channels, 4);
            if (!decoded ||
                !stbir_resize_uint8(decoded, w, h, 0, out.data(), kBuffer, kBuffer, 0, 4)) {
                std::fprintf(stderr, "stb failed\n");
                return 1;
            }
            stbi_image_free(decoded);
        }
        auto t2 = Clock::now();
        ours.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        theirs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    double a = median(ours), b = median(theirs);
    std::printf("QTImage import (FFmpeg):        %8.1f ms (median of %d)\n", a, kRounds);
    std::printf("stb_image + stb_image_resize:   %8.1f ms (median of %d)\n", b, kRounds);
    std::printf("ratio QTImage / stb:            %8.2f\n", a / b);
    std::filesystem::remove_all(dir);
    return 0;
}
