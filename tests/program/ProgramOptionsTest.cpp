// The real program with options: what it prints and its exit status, the
// screenshot without a display, and its window on a virtual X screen.
#include "tests/support/Picture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sys/stat.h>

using namespace clitest;

TEST(ProgramOptions, HelpVersionUsageErrorsAMissingModelAFailedCaptureAndNoGLExitAsDocumented) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out, err; // regular expressions for the whole of each stream
        std::string driver = "offscreen";
    };
    const std::string dir = temporaryFolder(), fifo = dir + "/fifo.obj";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // clang-format off
    const std::vector<Case> cases = {
        {{"--help"}, 0,
         "Usage: dravin \\[OPTIONS\\] \\[MODEL.obj\\]\n[^]*--help[^]*--version[^]*"
         "--window\\[=WIDTHxHEIGHT\\][^]*--frames N[^]*--screenshot FILE.png[^]*\n  --  [^]*"
         "drag[^]*wheel[^]*R +reset[^]*Esc, Q quit[^]*Exit status[^]*2 for a usage error[^]*", ""},
        {{"--version"}, 0, "dravin \\d+\\.\\d+\\.\\d+\n", ""},
        {{"--bogus"}, 2, "", "dravin: unknown option '--bogus' \\(try 'dravin --help'\\)\n"},
        {{"/no/such.obj"}, 1, "",
         "dravin: cannot read the model /no/such.obj: No such file or directory\n"},
        {{"/tmp"}, 1, "", "dravin: cannot read the model /tmp: Is a directory\n"},
        // A FIFO nobody writes to: refused at once, not waited on.
        {{fifo}, 1, "", "dravin: cannot read the model " + fifo + ": not a regular file\n"},
        {{"--screenshot", "/no/such/x.png"}, 1, "initWithFrame\n[^]*",
         "(reshape\n)*dravin: could not write the screenshot /no/such/x.png\n(reshape\n)*"},
        // SDL's dummy driver makes windows but offers no OpenGL: one line, before
        // the scene wakes (no model read, no loop started).
        {{}, 1, "(?![^]*awakeFromNib)[^]*", "error: no OpenGL context could be created: .*\n",
         "dummy"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const auto run = runProgram(c.args, ".", c.driver);
        EXPECT_EQ(run.exitStatus, c.status) << testing::PrintToString(c.args);
        EXPECT_TRUE(std::regex_match(run.outText(), std::regex(c.out))) << run.outText();
        EXPECT_TRUE(std::regex_match(run.errText(), std::regex(c.err))) << run.errText();
    }
    std::filesystem::remove_all(dir);
}

TEST(ProgramOptions, WithoutADisplayFramesAndScreenshotWriteTheSameDemoPictureEachRun) {
    // Relative paths name files where the program started, not in its resource directory.
    const std::string dir = temporaryFolder();
    std::vector<Picture> pictures;
    for (const char* name : {"one.png", "two.png"}) {
        const auto run = runProgram({"--frames", "3", "--screenshot", name}, dir);
        EXPECT_EQ(run.exitStatus, 0) << run.errText();
        pictures.push_back(readPicture(dir + "/" + name));
    }
    std::filesystem::remove_all(dir);
    const Picture& p = pictures[0];
    ASSERT_EQ(std::pair(p.width, p.height), std::pair(1024, 768)); // the offscreen driver's screen
    // The scroll moves per drawn frame, so frame 3 is always one picture.
    EXPECT_EQ(p.argb, pictures[1].argb);
    // The demo: the blue sky of its backdrop at the top, the model in the
    // middle with the leaves inside it; a great many colours.
    EXPECT_GT(p.at(10, 10) & 0xff, 2 * (p.at(10, 10) >> 16 & 0xff)); // not upside down
    EXPECT_NE(p.at(512, 384), p.at(10, 10));
    EXPECT_GT(std::set<uint32_t>(p.argb.begin(), p.argb.end()).size(), 2000u);
}

// A grid of 1199 x 1199 quads, positions only: large enough that reading it
// and making its drawing take a while, so that input arrives while the model
// is still loading.
void writeLargeModel(const std::string& path) {
    constexpr int n = 1200;
    std::ofstream f(path);
    for (int i = 0; i < n * n; ++i)
        f << "v " << i % n << ' ' << i / n << " 0\n";
    for (int i = 1; i <= (n - 1) * n; ++i)
        if (i % n)
            f << "f " << i << ' ' << i + 1 << ' ' << i + n + 1 << ' ' << i + n << '\n';
}

TEST(ProgramOptions, UnderXvfbTheWindowHasItsSizeIsNotAboveOthersAndEachWayOfQuittingEndsIt) {
    const std::string build = testing_support::buildDirectory(), dir = temporaryFolder();
    writeLargeModel(dir + "/large.obj");
    // Each way of quitting, in the demo and in the viewer. For the large model
    // the program is stopped as soon as its window shows the progress bar (a
    // thin band across the middle, unlike the grey above and below it), still loading the model
    // (the bar is what it shows while stopped), and the quit arrives while it
    // stands still; once with the keyboard focus taken away from the window
    // first.
    const struct {
        const char* model; // "" the demo
        const char* quit;
    } cases[] = {
        // clang-format off
        {"", "xdotool key --window $w ctrl+q"}, {"", XREQUEST " close $w"},
        {"Resources/1.obj", "xdotool key --window $w Escape"},
        {"large.obj", "xdotool key --window $w q"}, {"large.obj", "xdotool key --window $w ctrl+q"},
        {"large.obj", XREQUEST " close $w"}, {"large.obj", XREQUEST " unfocus; xdotool key --window $w Escape"},
        // clang-format on
    };
    std::string script = "exe='" + build +
                         "/dravin'; at() { import -window $w -crop 1x1+$1+$2 txt:- | "
                         "grep -o '#[0-9A-F]\\{6\\}'; }; bar() { a=$(at 320 120); [ -n \"$a\" ] && "
                         "[ \"$a\" != '#000000' ] && [ \"$(at 320 240)\" != \"$a\" ] && "
                         "[ \"$(at 320 252)\" = \"$a\" ]; }; ";
    for (const auto& c : cases) {
        const std::string model = !*c.model           ? ""
                                  : c.model[0] == 'R' ? build + "/" + c.model
                                                      : dir + "/" + c.model;
        const std::string stop =
            *c.model == 'l' ? "poll bar 'the progress bar is shown' || exit; kill -STOP $pid; "
                              "bar && echo 'still loading'; "
                            : "";
        script += "echo '" + std::string(c.quit) + "'; show \"$exe\" --window=640x480 " + model +
                  " || exit; " + stop +
                  "xdotool getwindowgeometry \"$w\"; xprop -id \"$w\" _NET_WM_STATE; " + c.quit +
                  "; kill -CONT $pid; ended; ";
    }
    const std::string out = testing_support::runUnderXvfb(script).outText();
    std::filesystem::remove_all(dir);
    const std::regex ended("Geometry: 640x480\n_NET_WM_STATE:  not found.\nexit=0\n");
    EXPECT_EQ(std::distance(std::sregex_iterator(out.begin(), out.end(), ended), {}), 7) << out;
    const std::regex loading("still loading\n");
    EXPECT_EQ(std::distance(std::sregex_iterator(out.begin(), out.end(), loading), {}), 4) << out;
}
