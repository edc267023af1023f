// The real program under a real window manager with a taskbar (IceWM) on a
// virtual X screen: the full screen covers the taskbar, a normal window is
// the window manager's to decorate, resize, move and close.
#include "tests/support/Picture.h"
#include "tests/support/PixelKind.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>

using namespace clitest;

namespace {

constexpr int kScreenW = 1280, kScreenH = 720;
// IceWM's taskbar is 26 rows along the bottom; the band checked is taller.
constexpr int kBand = 40;

// Pixels of the bottom band and of the top row that differ from the reference.
size_t edgePixelsUnlike(const Picture& shot, const Picture& reference) {
    size_t unlike = 0;
    for (int y = 0; y < kScreenH; ++y)
        for (int x = 0; x < kScreenW; ++x)
            if ((y == 0 || y >= kScreenH - kBand) && shot.at(x, y) != reference.at(x, y))
                ++unlike;
    return unlike;
}

// The centre of what differs from the background (the corner pixel).
std::pair<int, int> modelCentre(const Picture& p) {
    int left = p.width, right = -1, top = p.height, bottom = -1;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (testing_support::pixelKind(p.at(x, y), p.at(0, 0)) != '.') {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    return {(left + right) / 2, (top + bottom) / 2};
}

} // namespace

TEST(WindowManager, UnderIceWmTheDemoCoversTheTaskbarAndAWindowIsTheWindowManagersToShapeAndClose) {
    const std::string build = testing_support::buildDirectory(), dir = temporaryFolder();
    const std::string shot = "xwd -root -silent | convert xwd:- png:\"" + dir + "/";
    const std::string after = "n=$(($(rates) + 1)); poll '[ $(drawn $n) -gt 0 ]' ";
    // The demo full screen, first on no window manager (whose backdrop's edges
    // do not move: the reference), then under IceWM once it has made the
    // window full screen and a frame has been drawn since; closed from the
    // window manager. Then the viewer in a window: decorated (the frame's
    // extents), resized and moved by the window manager, a frame drawn at the
    // new size; closed from the window manager.
    const std::string script =
        "exe='" + build + "/dravin'; start \"$exe\" || exit; " + after + "'a frame' || exit; " +
        shot + "alone\"; " XREQUEST " close $w; ended; wm || exit; " + shot +
        "taskbar\"; start \"$exe\" || exit; "
        "poll 'xprop -id $w _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN' 'full screen' || "
        "exit; " +
        after + "'a frame at full screen' || exit; xdotool getwindowgeometry \"$w\"; " + shot +
        "demo\"; " XREQUEST " wmclose $w; ended; show \"$exe\" --window=640x480 '" + build +
        "/Resources/1.obj' || exit; " + after +
        "'a frame' || exit; xprop -id $w _NET_FRAME_EXTENTS; xdotool windowsize $w 900 600; "
        "poll 'xdotool getwindowgeometry $w | grep -q 900x600' 'resized' || exit; " +
        after + "'a frame after the resize' || exit; import -window $w \"" + dir +
        "/resized.png\"; xdotool windowmove $w 200 100; "
        "poll 'xdotool getwindowgeometry $w | grep -Eq \"Position: 2[0-4].,\"' "
        "'moved to x 200, give or take the frame' || exit; " XREQUEST " wmclose $w; ended; stopwm";
    const std::string out = testing_support::runUnderXvfb(script, "1280x720").outText();

    const Picture ref = readPicture(dir + "/alone"), taskbar = readPicture(dir + "/taskbar"),
                  demo = readPicture(dir + "/demo"), resized = readPicture(dir + "/resized.png");
    std::filesystem::remove_all(dir);
    ASSERT_EQ(demo.argb.size(), ref.argb.size()) << out;
    ASSERT_EQ(taskbar.argb.size(), ref.argb.size()) << out;
    // The taskbar was there to cover: the band is not the scene before the demo.
    EXPECT_GT(edgePixelsUnlike(taskbar, ref), size_t(kScreenW * 20)) << out;
    // Full screen, the band and the top row are the scene's, no pixel of the panel.
    EXPECT_EQ(edgePixelsUnlike(demo, ref), 0u) << out;
    for (const char* line : {"Position: 0,0", "Geometry: 1280x720"})
        EXPECT_NE(out.find(line), std::string::npos) << line << " not in:\n" << out;

    // Decorated: a frame of some width on every side (left, right, top, bottom).
    EXPECT_TRUE(std::regex_search(out, std::regex("_NET_FRAME_EXTENTS\\(CARDINAL\\) = [1-9]\\d*, "
                                                  "[1-9]\\d*, [1-9]\\d*, [1-9]\\d*")))
        << out;
    // The view followed the resize: the model stands in the middle of 900 x 600.
    ASSERT_EQ(resized.width, 900) << out;
    const auto [cx, cy] = modelCentre(resized);
    EXPECT_NEAR(cx, 450, 30);
    EXPECT_NEAR(cy, 300, 30);
    // Each way of closing ends with status 0.
    const std::regex ended("exit=0\n");
    EXPECT_EQ(std::distance(std::sregex_iterator(out.begin(), out.end(), ended), {}), 3) << out;
}

TEST(WindowManager,
     AFileDroppedOnTheDemoOpensItsViewerInTheSameWindowKindAndAnUnreadableOneChangesNothing) {
    const std::string build = testing_support::buildDirectory();
    // Dropped as a file manager drops it; the demo ignores Esc, the viewer
    // quits on it.
    const std::string script =
        "start '" + build +
        "/dravin' --window=640x480 || exit; first=$w; " XREQUEST
        " drop $w /no/such.obj || exit; poll 'grep -q \"cannot read the model\" \"$log\"' "
        "'the line of the file that cannot be read' || exit; xdotool key --window $w "
        "Escape; " XREQUEST " drop $w '" +
        build +
        "/Resources/1.obj' || exit; poll '[ $(grep -c /awakeFromNib \"$log\") -eq 2 ]' "
        "'woken again' || exit; w=$(xdotool search --onlyvisible --name '^dravin$' | head -1); "
        "xdotool getwindowgeometry $w; xdotool key --window $w Escape; ended; cat \"$log\"";
    const std::string out = testing_support::runUnderXvfb(script).outText();
    for (const char* line :
         {"dravin: cannot read the model /no/such.obj: No such file or directory",
          "Geometry: 640x480", "exit=0"})
        EXPECT_NE(out.find(line), std::string::npos) << line << " not in:\n" << out;
}
