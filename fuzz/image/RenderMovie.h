// A movie file through the video texture's sampling: open, duration, pictures
// at a few times scaled to a small frame. Shared by the fuzz target and the
// test that replays its seeds and kept inputs.
#pragma once

#include "host/media/Media.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzzimage {

// Whether the movie opened. Aborts when a picture is drawn past its frame.
inline bool renderMovieFile(const std::string& path) {
    auto movie = host::MediaMovie::open(path);
    if (!movie)
        return false;
    constexpr int kSide = 16;
    std::vector<uint8_t> pixels(kSide * kSide * 4 + 64, 0xA5);
    const int64_t duration = movie->duration();
    for (int64_t time : {int64_t(0), duration / 2, duration, INT64_MAX, INT64_MIN})
        movie->renderFrame(time, pixels.data(), kSide, kSide, kSide * 4);
    for (size_t i = kSide * kSide * 4; i < pixels.size(); ++i)
        if (pixels[i] != 0xA5)
            std::abort();
    return true;
}

} // namespace fuzzimage
