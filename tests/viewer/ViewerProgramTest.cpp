// The viewer as a user runs it, without a display: models of any size and
// place framed in the picture, its material library found beside it, and a
// model without faces.
#include "tests/cli/Picture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace clitest;

namespace {

// A box from the corner (x, y, z) with sides sx, sy, sz, faces wound outward,
// in material "paint" of the library next to it.
void writeBox(const std::string& path, double x, double y, double z, double sx, double sy,
              double sz) {
    std::ofstream obj(path);
    obj.precision(17);
    obj << "mtllib box.mtl\nusemtl paint\n";
    for (int i = 0; i < 8; ++i)
        obj << "v " << x + (i & 1) * sx << ' ' << y + (i >> 1 & 1) * sy << ' '
            << z + (i >> 2 & 1) * sz << '\n';
    obj << "f 1 3 4 2\nf 5 6 8 7\nf 1 2 6 5\nf 3 7 8 4\nf 1 5 7 3\nf 2 4 8 6\n";
    std::ofstream(std::filesystem::path(path).parent_path() / "box.mtl")
        << "newmtl paint\nKa 0.2 0 0\nKd 0.9 0.1 0.1\nKs 0 0 0\nNs 10\n";
}

struct Framing {
    double share;     // of the picture the model covers
    bool touchesEdge; // the model reaches the picture's border
    bool red;         // the material's colour shows
};

Framing framing(const Picture& p) {
    const uint32_t background = p.at(0, 0);
    Framing f{0, false, false};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint32_t c = p.at(x, y);
            if (c == background)
                continue;
            f.share += 1.0 / (p.width * p.height);
            f.touchesEdge |= x == 0 || y == 0 || x == p.width - 1 || y == p.height - 1;
            f.red |= (c >> 16 & 0xff) > 2 * (c >> 8 & 0xff) + 20;
        }
    return f;
}

} // namespace

TEST(ViewerProgram, FramesATinyAHugeAndAFarModelAndFindsTheirMaterialsBesideThem) {
    struct Case {
        const char* name;
        double x, y, z, sx, sy, sz;
    };
    const Case cases[] = {
        {"a 1 mm cube", 0, 0, 0, 0.001, 0.001, 0.001},
        {"a 10 km slab", -5000, -200, -5000, 10000, 400, 10000},
        {"a 2 m cube 100 km from the origin", 1e5, -5e4, 8e4, 2, 2, 2},
    };
    const std::string dir = temporaryFolder();
    std::filesystem::create_directory(dir + "/models");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBox(dir + "/models/box.obj", c.x, c.y, c.z, c.sx, c.sy, c.sz);
        // Started elsewhere, with a relative path: the library is found beside the model.
        const auto run =
            runProgram({"--window=320x240", "--screenshot", "shot.png", "models/box.obj"}, dir);
        EXPECT_EQ(run.exitStatus, 0) << run.errText();
        EXPECT_NE(run.outText().find("MTL File Open: box.mtl\n"), std::string::npos)
            << run.outText();
        EXPECT_EQ(run.outText().find("did not open"), std::string::npos) << run.outText();
        const Picture p = readPicture(dir + "/shot.png");
        ASSERT_EQ(p.width, 320);
        const Framing f = framing(p);
        EXPECT_GT(f.share, 0.08);
        EXPECT_LT(f.share, 0.7);
        EXPECT_FALSE(f.touchesEdge);
        EXPECT_TRUE(f.red);
    }
    std::filesystem::remove_all(dir);
}

TEST(ViewerProgram, AModelWithoutFacesShowsAnEmptySceneAndSaysSo) {
    const std::string dir = temporaryFolder();
    std::ofstream(dir + "/points.obj") << "v 0 0 0\nv 1 1 1\n";
    const auto run =
        runProgram({"--window=160x120", "--screenshot", "shot.png", "points.obj"}, dir);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_NE(
        run.errText().find("dravin: " + dir + "/points.obj has no faces: the scene is empty\n"),
        std::string::npos)
        << run.errText();
    EXPECT_EQ(framing(readPicture(dir + "/shot.png")).share, 0);
    std::filesystem::remove_all(dir);
}
