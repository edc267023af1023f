// Test media made on the spot in a temporary folder named Resources, the
// working directory: plain names are written there and "../Resources/" + name
// finds them. And the texture bound on an offscreen GL context, read back.
// Helpers of the image tests only, so at global scope.
#pragma once

#include "host/media/MediaWriter.h"
#include "image/QTImage.h"
#include "tests/support/CapturedOutput.h"
#include "tests/support/OffscreenContext.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

constexpr uint32_t ARGB(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

// One Resources folder for the process, its working directory from start to exit.
inline struct ResourceDir {
    fs::path root = fs::temp_directory_path() / ("dravin-image-" + std::to_string(getpid()));
    ResourceDir() {
        fs::create_directories(root / "Resources");
        fs::current_path(root / "Resources");
    }
    ~ResourceDir() { fs::remove_all(root, ignored); }
    std::error_code ignored;
} resourceDir;

// w x h words, each quarter one colour: top left, top right, bottom left, bottom right.
inline std::vector<uint32_t> quadrants(int w, int h, const std::array<uint32_t, 4>& c) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels.push_back(c[(y >= h / 2) * 2 + (x >= w / 2)]);
    return pixels;
}

inline bool writeImage(const std::string& name, uint32_t type, int width, int height,
                       const std::vector<uint32_t>& pixels, bool withAlpha = true) {
    return host::MediaWriteImage(name, type, width, height, pixels.data(), withAlpha) == 0;
}

inline bool writeSolid(const std::string& name, int side, uint32_t c,
                       uint32_t type = host::kMediaTypePNG) {
    return writeImage(name, type, side, side, std::vector<uint32_t>(size_t(side) * side, c));
}

inline bool writeText(const std::string& name, const std::string& text) {
    return bool(std::ofstream(name, std::ios::binary) << text);
}

// Frame i of a counting movie is solid grey of level 20 + 22 i.
inline bool writeCountingMovie(const std::string& name, int side, int frameCount) {
    auto paint = [&](int32_t f, uint32_t* p) {
        uint32_t g = uint32_t(20 + 22 * f);
        std::fill_n(p, size_t(side) * side, ARGB(255, g, g, g));
    };
    host::MediaMovieDescription m{.path = name, .fps = 10, .paint = paint};
    m.width = m.height = side, m.frameCount = frameCount, m.keyInterval = 4;
    return host::MediaWriteMovie(m) == 0;
}

// The frame of a counting movie whose grey level is nearest to the word's red channel.
inline int frameOf(const void* word) {
    uint32_t w;
    std::memcpy(&w, word, 4);
    return (int((w >> 16) & 0xff) - 20 + 11) / 22;
}

// The 32-bit word of an image's buffer at column x, row y (0 the top row).
inline uint32_t wordAt(const QTImage& image, int x, int y) {
    uint32_t word;
    std::memcpy(&word, image.aligned_buffer_ptr + (y * int(image.buffer_size.width) + x) * 4, 4);
    return word;
}

// The bound texture's width and height.
inline std::pair<GLint, GLint> boundSides() {
    GLint w = -1, h = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    return {w, h};
}

inline std::vector<uint32_t> boundTexels() {
    const auto [width, height] = boundSides();
    std::vector<uint32_t> texels(size_t(width) * size_t(height));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
    return texels;
}

class GLContext : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gl.valid()); }
    host::OffscreenContext gl{64, 64};
};
