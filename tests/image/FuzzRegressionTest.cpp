#include "fuzz/image/ImportBytes.h"
#include "fuzz/image/RenderMovie.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

// Every file of a target's seeds and kept crash inputs (a folder may be
// missing), each through `run`.
template <class Run> void replay(const std::string& target, Run run) {
    for (const char* folder : {"corpus", "regressions"}) {
        std::error_code missing;
        const fs::path dir = fs::path(DRAVIN_SOURCE_DIR) / "fuzz/image" / folder / target;
        for (const auto& entry : fs::directory_iterator(dir, missing)) {
            SCOPED_TRACE(entry.path().string());
            run(entry.path());
        }
    }
}

// Seeds and kept crash inputs go through the image import path (the kinds
// themselves are drawn and checked by the format test) and the movie path,
// which checks that each frame is rendered within its buffer.
TEST(FuzzInputs, SeedsAndKeptCrashInputsGoThroughWithoutCrashing) {
    replay("fuzz_image", [](const fs::path& path) {
        std::vector<uint8_t> bytes;
        ASSERT_EQ(host::MediaReadFile(path, bytes), 0);
        fuzzimage::importImageBytes(bytes.data(), bytes.size());
    });
    replay("fuzz_movie", [](const fs::path& path) { fuzzimage::renderMovieFile(path); });
}
