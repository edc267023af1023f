// The viewer as a user runs it, without a display: the material library and
// texture maps found beside the model, and one line for what it leaves out or
// shows otherwise. (What each kind of element looks like: ViewerFrame, in process.)
#include "host/media/MediaWriter.h"
#include "tests/support/Picture.h"
#include "tests/support/PixelKind.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <map>

using namespace clitest;
using ::testing::HasSubstr;
using testing_support::pixelKind;

TEST(ViewerProgram, ShowsTextureMapsFoundBesideTheModelAndSaysWhatItLeavesOutOrShowsAsPoints) {
    // Started elsewhere, with a relative path: what the model names is found beside it.
    const std::string top = temporaryFolder(), dir = top + "/models";
    std::filesystem::create_directory(dir);
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
        {"points", "v 0 0 0\nv 1 1 1\nv 1 0 0\n",
         "has no faces or lines: its 3 vertices are shown as points\n", "k"},
        {"texture map", mapped + "usemtl grass\nf 1/1 2/2 3/3 4/4\n", "", "g"},
        {"missing texture map", mapped + "usemtl gone\nf 1/1 2/2 3/3 4/4\n",
         "dravin: cannot read the texture missing.png of the material gone; it is drawn without\n",
         "w"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(dir + "/model.obj") << c.obj;
        const auto run =
            runProgram({"--window=320x240", "--screenshot", "s.png", "models/model.obj"}, top);
        EXPECT_EQ(run.exitStatus, 0) << run.errText();
        EXPECT_THAT(run.errText(), HasSubstr(c.err));
        const Picture p = readPicture(top + "/s.png");
        ASSERT_EQ(p.width, 320); // the window's size, also offscreen
        std::map<char, int> count;
        for (uint32_t rgb : p.argb)
            ++count[pixelKind(rgb, p.at(0, 0))];
        for (char k : c.shows)
            EXPECT_GT(count[k], 10) << k;
        EXPECT_EQ(count['g'] > 0, c.shows == "g") << "green from nowhere";
    }
    std::filesystem::remove_all(top);
}
