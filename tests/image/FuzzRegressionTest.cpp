#include "fuzz/image/ImportBytes.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const fs::path kFuzzDir = fs::path(DRAVIN_SOURCE_DIR) / "fuzz" / "image";

TEST(ImageFuzzInputs, KeptCrashInputsImportWithoutCrashing) {
    fs::path dir = kFuzzDir / "regressions" / "fuzz_image";
    if (!fs::exists(dir))
        GTEST_SKIP() << "no kept inputs";
    for (const auto& entry : fs::directory_iterator(dir)) {
        auto bytes = readAll(entry.path());
        fuzzimage::importImageBytes(bytes.data(), bytes.size());
        SUCCEED() << entry.path();
    }
}

TEST(ImageFuzzInputs, SeedsOfEachKindAreDrawnAndTextIsNotIdentified) {
    for (const char* name : {"alpha.png", "opaque.png", "photo.jpg", "default.tif", "opaque.bmp"}) {
        auto bytes = readAll(kFuzzDir / "corpus" / "fuzz_image" / name);
        EXPECT_EQ(fuzzimage::importImageBytes(bytes.data(), bytes.size()), 0) << name;
    }
    auto text = readAll(kFuzzDir / "corpus" / "fuzz_image" / "text.png");
    EXPECT_EQ(fuzzimage::importImageBytes(text.data(), text.size()), -1);
}

} // namespace
