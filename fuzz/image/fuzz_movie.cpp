// Movie bytes through the video texture's sampling: open, duration, pictures at
// a few times scaled to a small frame. The movie service reads files, so each
// input is written to a file of this process first.
#include "host/Media.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        std::atexit(
            [] { std::remove(("/tmp/fuzz_movie-" + std::to_string(getpid()) + ".mov").c_str()); });
        return "/tmp/fuzz_movie-" + std::to_string(getpid()) + ".mov";
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    auto movie = host::MediaMovie::open(path);
    if (!movie)
        return 0;
    constexpr int kSide = 16;
    std::vector<uint8_t> pixels(kSide * kSide * 4 + 64, 0xA5);
    const int64_t duration = movie->duration();
    for (int64_t time : {int64_t(0), duration / 2, duration})
        movie->renderFrame(time, pixels.data(), kSide, kSide, kSide * 4);
    for (size_t i = kSide * kSide * 4; i < pixels.size(); ++i)
        if (pixels[i] != 0xA5)
            std::abort();
    return 0;
}
