#include "tests/image/MediaFiles.h"

#include "host/Media.h"
#include "host/MediaWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace testmedia {

ResourceDir::ResourceDir() {
    char tmpl[] = "/tmp/dravin-image-XXXXXX";
    if (char* made = mkdtemp(tmpl))
        root_ = made;
    std::filesystem::create_directory(root_ + "/Resources");
    previous_ = std::filesystem::current_path().string();
    std::filesystem::current_path(root_ + "/Resources");
}

ResourceDir::~ResourceDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    if (!root_.empty())
        std::filesystem::remove_all(root_, ignored);
}

std::string ResourceDir::path(const std::string& name) const {
    return root_ + "/Resources/" + name;
}

std::vector<uint32_t> quadrants(int width, int height, uint32_t tl, uint32_t tr, uint32_t bl,
                                uint32_t br) {
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            bool right = x >= width / 2, bottom = y >= height / 2;
            pixels[size_t(y) * width + x] = bottom ? (right ? br : bl) : (right ? tr : tl);
        }
    return pixels;
}

bool writeImage(const std::string& path, uint32_t type, int width, int height,
                const std::vector<uint32_t>& pixels, bool withAlpha) {
    return host::MediaWriteImage(path, type, width, height, pixels.data(), withAlpha) == 0;
}

bool writeSolidImage(const std::string& path, uint32_t type, int width, int height,
                     uint32_t colour) {
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), colour);
    return writeImage(path, type, width, height, pixels, true);
}

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return bool(out);
}

bool writeTruncated(const std::string& source, const std::string& path, size_t keep) {
    std::ifstream in(source, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() <= keep)
        return false;
    return writeText(path, bytes.substr(0, keep));
}

int greyLevel(int frame) {
    return 20 + 22 * frame;
}

int frameOfGrey(uint32_t word) {
    int red = int((word >> 16) & 0xff);
    return (red - 20 + 11) / 22;
}

bool writeCountingMovie(const std::string& path, int width, int height, int fps, int frameCount,
                        int keyInterval) {
    return host::MediaWriteMovie(path, width, height, fps, frameCount, keyInterval,
                                 [&](int32_t frame, uint32_t* argb) {
                                     uint32_t g = uint32_t(greyLevel(frame));
                                     std::fill_n(argb, size_t(width) * size_t(height),
                                                 ARGB(255, g, g, g));
                                 }) == 0;
}

} // namespace testmedia
