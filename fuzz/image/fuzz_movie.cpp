// Movie bytes through the video texture's sampling. The movie service reads
// files, so each input is written to a file of this process first.
#include "fuzz/image/RenderMovie.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

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
    fuzzimage::renderMovieFile(path);
    return 0;
}
