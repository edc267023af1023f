// Test media made on the spot in a temporary folder named Resources, which
// becomes the working directory so that "../Resources/" + name finds the files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testmedia {

constexpr uint32_t ARGB(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

class ResourceDir {
  public:
    ResourceDir();
    ~ResourceDir();
    ResourceDir(const ResourceDir&) = delete;
    ResourceDir& operator=(const ResourceDir&) = delete;

    // Absolute path of a file in the folder.
    std::string path(const std::string& name) const;

  private:
    std::string root_;
    std::string previous_;
};

// width x height words, each quarter one colour (top-left, top-right,
// bottom-left, bottom-right).
std::vector<uint32_t> quadrants(int width, int height, uint32_t tl, uint32_t tr, uint32_t bl,
                                uint32_t br);

// These return false on failure, so callers can ASSERT on them.
bool writeImage(const std::string& path, uint32_t type, int width, int height,
                const std::vector<uint32_t>& pixels, bool withAlpha);
bool writeSolidImage(const std::string& path, uint32_t type, int width, int height,
                     uint32_t colour);
bool writeText(const std::string& path, const std::string& text);
// The first keep bytes of source.
bool writeTruncated(const std::string& source, const std::string& path, size_t keep);
// frameCount frames at fps; frame i is solid grey of level greyLevel(i).
bool writeCountingMovie(const std::string& path, int width, int height, int fps, int frameCount,
                        int keyInterval);
int greyLevel(int frame);
// The frame whose grey level is nearest to the word's red channel.
int frameOfGrey(uint32_t word);

} // namespace testmedia
