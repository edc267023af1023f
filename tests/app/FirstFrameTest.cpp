// The full-screen window on a virtual X screen whose root is white: black
// from the moment it is shown, before the scene's first frame, which a scene
// of the test's own holds back until the test has looked.
#include "tests/cli/Picture.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace clitest;

TEST(FullscreenWindow, IsBlackOverTheWholeScreenBeforeTheFirstFrameIsDrawn) {
    const std::string dir = temporaryFolder();
    const std::string shot = "xwd -root -silent | convert xwd:- ";
    // The screen is read until it is all black (the window covers the white
    // root), then the scene may draw: its red frame shows the reading sees
    // what the window presents.
    const std::string script =
        "export FIRST_FRAME_GATE='" + dir + "/gate'; mkfifo \"$FIRST_FRAME_GATE\" || exit; " +
        shot + "png:'" + dir + "/root.png'; show '" + LATE_FIRST_FRAME + "' || exit; poll '[ \"$(" +
        shot + "-format %[max] info:)\" = 0 ]' 'the screen is black' || exit; " + shot + "png:'" +
        dir + "/before.png'; echo go >\"$FIRST_FRAME_GATE\"; poll '" + shot +
        "-format %[pixel:p{640,400}] info: | grep -Eqx \"red|srgb\\(255,0,0\\)\"' 'a red frame' "
        "|| exit; " +
        shot + "png:'" + dir + "/after.png'; kill $pid; ended";
    const std::string out = testing_support::runUnderXvfb(script, "1280x800", "-wr").outText();
    const Picture root = readPicture(dir + "/root.png"), before = readPicture(dir + "/before.png"),
                  after = readPicture(dir + "/after.png");
    std::filesystem::remove_all(dir);
    ASSERT_EQ(root.width, 1280) << out;
    EXPECT_EQ(root.at(640, 400), 0xffffffu) << "the root is white, unlike the window";
    ASSERT_EQ(before.width, 1280) << out;
    ASSERT_EQ(before.height, 800) << out;
    size_t unlike = 0;
    for (uint32_t pixel : before.argb)
        unlike += (pixel & 0xffffff) != 0;
    EXPECT_EQ(unlike, 0u) << out;
    ASSERT_EQ(after.width, 1280) << out;
    EXPECT_EQ(after.at(0, 0), 0xff0000u) << out;
    EXPECT_EQ(after.at(1279, 799), 0xff0000u) << out;
}
