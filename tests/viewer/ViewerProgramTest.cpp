// The viewer as a user runs it, without a display: models of any size and
// place framed in the picture, their material library found beside them, and
// a model without faces shown as an empty scene.
#include "tests/cli/Picture.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>

using namespace clitest;
using ::testing::HasSubstr;

namespace {

// The share of the picture that differs from its corner, whether any of it
// touches the border, and whether any of it is red.
std::tuple<double, bool, bool> covered(const Picture& p) {
    double share = 0;
    bool edge = false, red = false;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint32_t c = p.at(x, y);
            if (c == p.at(0, 0))
                continue;
            share += 1.0 / (p.width * p.height);
            edge |= x == 0 || y == 0 || x == p.width - 1 || y == p.height - 1;
            red |= (c >> 16 & 0xff) > 2 * (c >> 8 & 0xff) + 20;
        }
    return {share, edge, red};
}

} // namespace

TEST(ViewerProgram, FramesATinyAHugeAndAFarModelWithTheirMaterialsAndShowsNoFacesAsEmpty) {
    // Boxes: corner and sides.
    const double boxes[][6] = {{0, 0, 0, 0.001, 0.001, 0.001},          // 1 mm
                               {-5000, -200, -5000, 10000, 400, 10000}, // 10 km
                               {1e5, -5e4, 8e4, 2, 2, 2}};              // 100 km away
    const std::string dir = temporaryFolder();
    std::filesystem::create_directory(dir + "/models");
    std::ofstream(dir + "/models/box.mtl") << "newmtl paint\nKd 0.9 0.1 0.1\n";
    for (const auto& b : boxes) {
        std::ofstream obj(dir + "/models/box.obj");
        obj.precision(17);
        for (int i = 0; i < 8; ++i)
            obj << "v " << b[0] + (i & 1) * b[3] << ' ' << b[1] + (i >> 1 & 1) * b[4] << ' '
                << b[2] + (i >> 2 & 1) * b[5] << '\n';
        // Vertices that are no numbers are left out of the framing.
        obj << "v nan nan nan\nv inf 0 0\nmtllib box.mtl\nusemtl paint\nf 1 3 4 2\nf 5 6 8 7\n"
               "f 1 2 6 5\nf 3 7 8 4\nf 1 5 7 3\nf 2 4 8 6\n";
        obj.close();
        // Started elsewhere, with a relative path: the library is found beside the model.
        SCOPED_TRACE(b[3]);
        const auto run =
            runProgram({"--window=320x240", "--screenshot", "s.png", "models/box.obj"}, dir);
        EXPECT_EQ(run.exitStatus, 0) << run.errText();
        EXPECT_THAT(run.outText(), HasSubstr("MTL File Open: box.mtl\n"));
        const Picture p = readPicture(dir + "/s.png");
        ASSERT_EQ(p.width, 320); // the window's size, also offscreen
        const auto [share, edge, red] = covered(p);
        EXPECT_TRUE(share > 0.08 && share < 0.7) << share;
        EXPECT_TRUE(!edge && red) << edge << red;
    }
    std::ofstream(dir + "/points.obj") << "v 0 0 0\nv 1 1 1\n";
    const auto run = runProgram({"--window=160x120", "--screenshot", "s.png", "points.obj"}, dir);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_THAT(run.errText(),
                HasSubstr("dravin: " + dir + "/points.obj has no faces: the scene is empty\n"));
    EXPECT_EQ(std::get<0>(covered(readPicture(dir + "/s.png"))), 0);
    std::filesystem::remove_all(dir);
}
