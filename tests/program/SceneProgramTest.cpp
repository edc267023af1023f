// The real program as a user meets it: on a virtual X screen, looked at
// through screenshots and driven with the X pointer; and under SDL's offscreen
// driver, read through what it prints.
#include "tests/support/Picture.h"
#include "tests/support/SceneHarness.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace clitest;
using namespace scenetest;
using namespace testing_support;

constexpr int kScreenW = 1280, kScreenH = 720;

TEST(SceneProgram, UnderXvfbFillsTheScreenScrollsInsideTheSilhouetteTurnsOnADragAndEndsOnSigterm) {
    // Where the unturned model covers a full-screen view: the scene's own
    // stencil, which the frame tests hold to the model drawn alone.
    QuietScene* view = loadView<QuietScene>(kScreenW, kScreenH);
    ASSERT_NE(view, nullptr);
    view->display();
    const auto silhouette = readPixels(kScreenW, kScreenH, GL_STENCIL_INDEX);

    const std::string dir = temporaryFolder();
    // The window's place and hints, a screenshot once a frame is out, another
    // after 30 frames more, a drag with the X pointer, a third screenshot once
    // the turned model is drawn, then SIGTERM (the offscreen run's test sends
    // SIGINT). Frames drawn after a moment are those of the rate lines after
    // the first one printed since: each line counts the second before it. The
    // Motif hints atom is made first, as a window manager would, so the window
    // comes up borderless as in a real session. Screenshots are PNG pictures,
    // bottom row first like the stencil.
    const std::string shot = "xwd -root -silent | convert xwd:- -flip png:\"" + dir + "/";
    const std::string script =
        "xprop -root -f _MOTIF_WM_HINTS 32c -set _MOTIF_WM_HINTS 0; start '" + buildDirectory() +
        "/dravin' || exit; xdotool getwindowgeometry \"$w\"; xprop -id \"$w\" _MOTIF_WM_HINTS " +
        "_NET_WM_STATE; poll '[ $(drawn) -gt 0 ]' 'a frame is drawn' || exit; " + shot +
        "still1\"; n=$(($(rates) + 1)); poll '[ $(drawn $n) -ge 30 ]' '30 frames more' || exit; " +
        shot + "still2\"; xdotool mousemove 640 360 mousedown 1 mousemove 760 400 " +
        "mousemove 900 460 mouseup 1; n=$(($(rates) + 1)); " +
        "poll '[ $(drawn $n) -gt 0 ]' 'a frame after the drag' || exit; " + shot +
        "turned\"; kill -TERM $pid; ended";
    const std::string out = runUnderXvfb(script, "1280x720").outText();
    // Borderless (Motif hints: decorations given, none), above others, over
    // the whole screen; SIGTERM ends it with status 0.
    for (const char* line : {"Position: 0,0", "Geometry: 1280x720", "_NET_WM_STATE_ABOVE",
                             "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x2, 0x0, 0x0", "exit=0"})
        EXPECT_NE(out.find(line), std::string::npos) << line << " not in:\n" << out;

    const Picture still1 = readPicture(dir + "/still1"), still2 = readPicture(dir + "/still2"),
                  turned = readPicture(dir + "/turned");
    std::filesystem::remove_all(dir);
    for (const auto* s : {&still1, &still2, &turned})
        ASSERT_EQ(s->argb.size(), silhouette.size());

    // Outside means a pixel away from the silhouette, against rounding at its rim.
    std::vector<uint8_t> nearModel(silhouette.size());
    for (size_t i = kScreenW + 1; i + kScreenW + 1 < silhouette.size(); ++i)
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                nearModel[i] |= silhouette[i + dy * kScreenW + dx];
    size_t inside = 0, changedInside = 0, changedOutside = 0, turnedOutside = 0;
    for (size_t i = 0; i < silhouette.size(); ++i) {
        const bool moved = still1.argb[i] != still2.argb[i], away = !silhouette[i] && !nearModel[i];
        inside += silhouette[i] != 0;
        changedInside += silhouette[i] && moved;
        changedOutside += away && moved;
        turnedOutside += away && turned.argb[i] != still2.argb[i];
    }
    // Nothing moves outside the model while nobody drags; the leaves move inside it.
    EXPECT_EQ(changedOutside, 0u);
    EXPECT_GT(changedInside, inside / 4);
    // The turned model covers pixels the unturned one left to the backdrop.
    EXPECT_GT(turnedOutside, size_t(2000));
}

TEST(SceneProgram, APhoneSizedPhotoAsTheBackdropIsShownWithinBoundedMemory) {
    // A copy of the program beside a Resources folder of its own, whose
    // backdrop is an 8000 x 6000 JPEG made here: blue above, orange below,
    // with grain enough to weigh what a phone's photo weighs (about 20 MB).
    namespace fs = std::filesystem;
    const std::string dir = temporaryFolder(), build = buildDirectory();
    fs::copy(build + "/Resources", dir + "/Resources", fs::copy_options::recursive);
    fs::copy_file(build + "/dravin", dir + "/dravin");
    const std::string make =
        "ffmpeg -v error -f lavfi -i color=c=0x2060c0:s=8000x3000 -f lavfi "
        "-i color=c=0xc06020:s=8000x3000 -filter_complex "
        "vstack,noise=alls=12:allf=t -frames:v 1 -q:v 2 -y -f image2 -c:v mjpeg ";
    const ProcessRun made = runProcess(
        {.argv = {"/bin/sh", "-c", make + dir + "/Resources/dravinBirds.png"}, .env = {}});
    ASSERT_EQ(made.exitStatus, 0) << made.errText();

    auto demo = [&](const std::string& program, const std::string& shot) {
        return runProcess({.argv = {program, "--window=320x200", "--frames", "1", "--screenshot",
                                    dir + "/" + shot},
                           .env = {"SDL_VIDEODRIVER=offscreen"}});
    };
    const ProcessRun shipped = demo(build + "/dravin", "shipped.png");
    const ProcessRun photo = demo(dir + "/dravin", "photo.png");
    const Picture shot = readPicture(dir + "/photo.png");
    fs::remove_all(dir);
    ASSERT_EQ(std::pair(shipped.exitStatus, photo.exitStatus), std::pair(0, 0)) << photo.outText();
    EXPECT_EQ(photo.outText().find("image"), std::string::npos) << photo.outText();
    ASSERT_EQ(std::pair(shot.width, shot.height), std::pair(320, 200));
    // The corners, away from the model, show the photo's two halves.
    for (auto [y, want] : {std::pair(3, 0x2060c0), std::pair(196, 0xc06020)})
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(int(shot.at(3, y) >> shift & 0xff), want >> shift & 0xff, 24) << y;
    // Decoded whole, the picture alone would take 192 MB at four bytes a pixel.
    EXPECT_LT(photo.peakKilobytes - shipped.peakKilobytes, 64 * 1024)
        << photo.peakKilobytes << " kB against " << shipped.peakKilobytes << " kB";
}
