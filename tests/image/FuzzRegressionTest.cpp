#include "fuzz/image/ImportBytes.h"
#include "fuzz/image/RenderMovie.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

namespace fs = std::filesystem;

const fs::path kFuzzDir = fs::path(DRAVIN_SOURCE_DIR) / "fuzz" / "image";

// Every file of a target's seeds and kept crash inputs, each through `run`.
template <class Run> void replay(const std::string& target, Run run) {
    for (const char* folder : {"corpus", "regressions"})
        if (fs::exists(kFuzzDir / folder / target))
            for (const auto& entry : fs::directory_iterator(kFuzzDir / folder / target)) {
                SCOPED_TRACE(entry.path().string());
                run(entry.path());
            }
}

// Seeds of each kind are drawn, text is not identified, and kept crash inputs
// go through without crashing.
TEST(ImageFuzzInputs, SeedsAreDrawnAndKeptCrashInputsDoNotCrash) {
    replay("fuzz_image", [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        const std::string name = path.filename().string();
        int r = fuzzimage::importImageBytes(bytes.data(), bytes.size());
        if (path.parent_path().parent_path().filename() == "corpus" && name != "truncated.png") {
            EXPECT_EQ(r, name == "text.png" ? -1 : 0);
        }
    });
}

TEST(MovieFuzzInputs, SeedsAndKeptCrashInputsRenderWithinTheirFrame) {
    replay("fuzz_movie", [](const fs::path& path) { fuzzimage::renderMovieFile(path); });
}

} // namespace
