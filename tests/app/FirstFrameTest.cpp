// The full-screen window on a virtual X screen whose root is white: black
// over the whole screen from the moment it is shown, while a scene of the
// test's own holds its first frame back; the scene's red frame then shows
// that the screen read is what the window presents.
#include "tests/support/Process.h"

#include <gtest/gtest.h>

TEST(FullscreenWindow, IsBlackOverTheWholeScreenBeforeTheFirstFrameIsDrawn) {
    const std::string pixel = "$(xwd -root -silent | convert xwd:- -format %[pixel:p{640,400}] "
                              "info:)",
                      max = "$(xwd -root -silent | convert xwd:- -format %[max] info:)";
    const std::string script =
        "export FIRST_FRAME_GATE=$(mktemp -u); mkfifo $FIRST_FRAME_GATE || exit; echo root " +
        pixel + "; show '" LATE_FIRST_FRAME "' || exit; poll '[ " + max +
        " = 0 ]' 'the whole screen black' || exit; echo go >$FIRST_FRAME_GATE; poll 'echo " +
        pixel + " | grep -Eqx \"red|srgb\\(255,0,0\\)\"' 'a red frame'; kill $pid; ended; rm $FIRST_FRAME_GATE";
    const std::string out = testing_support::runUnderXvfb(script, "1280x800", "-wr").outText();
    EXPECT_TRUE(out.starts_with("root white\n") || out.starts_with("root srgb(255,255,255)\n"))
        << out;
    EXPECT_EQ(out.find("not met"), std::string::npos) << out;
    EXPECT_NE(out.find("exit="), std::string::npos) << out;
}
