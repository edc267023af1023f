// Replays the fuzz targets' seeds and every kept crash input through the same
// harness, so a fault found once stays found in the ordinary test run.
#include "MeshTestSupport.h"
#include "fuzz/mesh/MeshFuzzHarness.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::filesystem::path> inputsOf(const std::string& target) {
    std::vector<std::filesystem::path> files;
    const std::filesystem::path root = std::filesystem::path(DRAVIN_MESH_REGRESSIONS).parent_path();
    for (const char* kind : {"regressions", "corpus"}) {
        const auto dir = root / kind / target;
        if (std::filesystem::is_directory(dir)) {
            for (const auto& entry : std::filesystem::directory_iterator(dir)) {
                files.push_back(entry.path());
            }
        }
    }
    return files;
}

void replay(const std::string& target, void (*run)(MyOBJ&, const uint8_t*, size_t)) {
    const auto files = inputsOf(target);
    EXPECT_FALSE(files.empty()) << target;
    auto obj = meshtest::newModel();
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
        SCOPED_TRACE(file.string());
        testing::internal::CaptureStdout();
        run(*obj, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        testing::internal::GetCapturedStdout();
        EXPECT_LE(obj->mFaceCount, MyOBJ::kMaxFaces);
        EXPECT_LE(obj->mMaterialPropertyCount, MyOBJ::kMaxMaterials);
    }
}

TEST(FuzzRegression, ObjInputsLoadAndDrawWithoutFault) {
    replay("fuzz_obj", meshfuzz::runObj);
}

TEST(FuzzRegression, MtlInputsLoadAndDrawWithoutFault) {
    replay("fuzz_mtl", meshfuzz::runMtl);
}

} // namespace
