#include "fuzz/image/ImportBytes.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

namespace fs = std::filesystem;

// The fuzz target's seeds of each kind are drawn, text is not identified, and
// kept crash inputs go through without crashing.
TEST(ImageFuzzInputs, SeedsAreDrawnAndKeptCrashInputsDoNotCrash) {
    auto importFile = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        return fuzzimage::importImageBytes(bytes.data(), bytes.size());
    };
    const fs::path dir = fs::path(DRAVIN_SOURCE_DIR) / "fuzz" / "image";
    for (std::string name :
         {"alpha.png", "opaque.png", "photo.jpg", "default.tif", "opaque.bmp", "text.png"})
        EXPECT_EQ(importFile(dir / "corpus" / "fuzz_image" / name), name == "text.png" ? -1 : 0);
    if (fs::exists(dir / "regressions" / "fuzz_image"))
        for (const auto& entry : fs::directory_iterator(dir / "regressions" / "fuzz_image"))
            importFile(entry.path());
}

} // namespace
