// The viewer as a user runs it, without a display: models of any size and
// place framed in the picture, their material library found beside them, and
// each kind of element other viewers show.
#include "host/MediaWriter.h"
#include "tests/cli/Picture.h"
#include "tests/support/PixelKind.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <map>

using namespace clitest;
using ::testing::HasSubstr;
using testing_support::pixelKind;

namespace {

// How many pixels of each pixelKind the picture has, and whether anything but
// the background touches its border.
std::pair<std::map<char, int>, bool> kinds(const Picture& p) {
    std::map<char, int> count;
    bool edge = false;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const char k = pixelKind(p.at(x, y), p.at(0, 0));
            ++count[k];
            edge |= k != '.' && (x == 0 || y == 0 || x == p.width - 1 || y == p.height - 1);
        }
    return {count, edge};
}

} // namespace

TEST(ViewerProgram, FramesATinyAHugeAndAFarModelWithTheirMaterials) {
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
        auto [count, edge] = kinds(p);
        const double share = 1 - count['.'] / double(p.width * p.height);
        EXPECT_TRUE(share > 0.08 && share < 0.7) << share;
        EXPECT_TRUE(!edge && count['r'] > 0) << edge;
    }
    std::filesystem::remove_all(dir);
}

TEST(ViewerProgram, ShowsConcavePolygonsLinesPointsColoursAndTextureMapsAndSaysWhatItLeavesOut) {
    const std::string dir = temporaryFolder();
    const uint32_t green[4] = {0xff20c020, 0xff20c020, 0xff20c020, 0xff20c020};
    ASSERT_EQ(host::MediaWriteImage(dir + "/green.png", host::kMediaTypePNG, 2, 2, green, false),
              0);
    std::ofstream(dir + "/maps.mtl") << "newmtl grass\nmap_Kd green.png\n"
                                        "newmtl gone\nmap_Kd -s 2 2 1 missing.png\n";
    const std::string square = "v 0 0 0\nv 4 0 0\nv 4 4 0\nv 0 4 0\n";
    const std::string mapped = "mtllib maps.mtl\n" + square + "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
    const struct {
        const char* name;
        std::string obj;
        std::string err;   // a line it prints on standard error
        std::string shows; // pixelKind's letters there must be plenty of
    } cases[] = {
        {"concave", square + "v 3 4 0\nv 3 1 0\nv 1 1 0\nv 1 4 0\nf 1 2 3 5 6 7 8 4\n", "", "w"},
        {"lines", square + "l 1 2 3 4 1\nl 1 3\n", "", "k"},
        {"points", "v 0 0 0\nv 1 1 1\nv 1 0 0\n",
         "has no faces or lines: its 3 vertices are shown as points\n", "k"},
        {"coloured cube",
         "v 0 0 0 1 0 0\nv 1 0 0 1 0 0\nv 1 1 0 0 1 0\nv 0 1 0 0 1 0\nv 0 0 1 0 0 1\n"
         "v 1 0 1 0 0 1\nv 1 1 1 0 0 1\nv 0 1 1 0 0 1\nf 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\n"
         "f 4 8 7 3\nf 1 5 8 4\nf 2 3 7 6\n",
         "", "rgb"},
        {"texture map", mapped + "usemtl grass\nf 1/1 2/2 3/3 4/4\n", "", "g"},
        {"missing texture map", mapped + "usemtl gone\nf 1/1 2/2 3/3 4/4\n",
         "dravin: cannot read the texture missing.png of the material gone; it is drawn without\n",
         "w"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(dir + "/model.obj") << c.obj;
        const auto run =
            runProgram({"--window=320x240", "--screenshot", "s.png", "model.obj"}, dir);
        EXPECT_EQ(run.exitStatus, 0) << run.errText();
        EXPECT_THAT(run.errText(), HasSubstr(c.err));
        const Picture p = readPicture(dir + "/s.png");
        ASSERT_EQ(p.width, 320);
        auto count = kinds(p).first;
        for (char k : c.shows)
            EXPECT_GT(count[k], 10) << k;
        EXPECT_EQ(count['g'] > 0, c.shows == "g" || c.shows == "rgb") << "green from nowhere";
    }
    std::filesystem::remove_all(dir);
}
