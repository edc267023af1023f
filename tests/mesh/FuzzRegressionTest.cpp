// Replays the fuzz targets' seeds and every kept crash input through the same
// harness, so a fault found once stays found in the ordinary test run.
#include "MeshTestSupport.h"
#include "fuzz/mesh/MeshFuzzHarness.h"
#include "fuzz/mesh/ObjModelCheck.h"

#include <filesystem>
#include <fstream>
#include <iterator>

TEST(FuzzRegression, KeptInputsLoadAndDrawWithoutFault) {
    auto obj = std::make_unique<MyOBJ>();
    int inputs = 0;
    // fuzz/mesh/corpus/<target>/ and fuzz/mesh/regressions/<target>/
    const auto root = std::filesystem::path(DRAVIN_MESH_REGRESSIONS).parent_path();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string target = entry.path().parent_path().filename();
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        const test::CapturedOutput quiet;
        if (target == "fuzz_obj" || target == "fuzz_mtl")
            (target == "fuzz_obj" ? meshfuzz::runObj : meshfuzz::runMtl)(*obj, data, bytes.size());
        else if (target == "fuzz_objmodel")
            EXPECT_EQ(meshfuzz::readAndCheck(data, bytes.size()), "") << entry.path();
        else
            continue;
        ++inputs;
    }
    EXPECT_GE(inputs, 7);
}
