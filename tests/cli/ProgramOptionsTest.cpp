// The real program with options: what it prints and its exit status, the
// screenshot without a display, and its window on a virtual X screen.
#include "tests/cli/Picture.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <set>

using namespace clitest;

TEST(ProgramOptions, HelpVersionUsageErrorsAndAMissingModelEndBeforeAnyWindow) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out; // a regular expression for the whole of standard output
        std::string err; // the same for standard error
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, "Usage: dravin \\[OPTIONS\\] \\[MODEL.obj\\]\n[^]*Esc, Q quit[^]*", ""},
        {{"--version"}, 0, "dravin [0-9]+\\.[0-9]+\\.[0-9]+\n", ""},
        {{"--bogus"}, 2, "", "dravin: unknown option '--bogus' \\(try 'dravin --help'\\)\n"},
        {{"--frames", "zero"}, 2, "", "dravin: bad value 'zero' for --frames[^\n]*--help'\\)\n"},
        {{"/no/such/model.obj"},
         1,
         "",
         "dravin: cannot read the model /no/such/model.obj: No such file or directory\n"},
        {{"/tmp"}, 1, "", "dravin: cannot read the model /tmp: Is a directory\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const auto run = runProgram(c.args);
        EXPECT_EQ(run.exitStatus, c.status);
        EXPECT_TRUE(std::regex_match(run.outText(), std::regex(c.out))) << run.outText();
        EXPECT_TRUE(std::regex_match(run.errText(), std::regex(c.err))) << run.errText();
    }
}

TEST(ProgramOptions, WithoutADisplayFramesAndScreenshotWriteTheSameDemoPictureEachRun) {
    // Relative paths name files in the directory the program started in,
    // although it works in its resource directory.
    const std::string dir = temporaryFolder();
    std::vector<Picture> pictures;
    for (const char* name : {"one.png", "two.png"}) {
        const auto run = runProgram({"--frames", "3", "--screenshot", name}, dir);
        EXPECT_EQ(run.exitStatus, 0) << run.errText();
        // The demo's lines, as without options.
        EXPECT_NE(run.outText().find("Object Loaded: dravinKnot\n"), std::string::npos);
        EXPECT_TRUE(run.outText().ends_with("startThreads\n/startThreads\n/awakeFromNib\n"));
        pictures.push_back(readPicture(dir + "/" + name));
    }
    std::filesystem::remove_all(dir);
    const Picture& p = pictures[0];
    // The offscreen driver's screen.
    ASSERT_EQ(p.width, 1024);
    ASSERT_EQ(p.height, 768);
    // The scroll moves per drawn frame, so frame 3 is one picture.
    EXPECT_EQ(p.argb, pictures[1].argb);
    // The demo: the sky of its backdrop at the top, the model in the middle
    // with the leaves inside it; a great many colours.
    const uint32_t sky = p.at(10, 10);
    EXPECT_GT(sky & 0xff, (sky >> 16) & 0xff) << std::hex << sky;
    EXPECT_NE(p.at(512, 384), sky);
    std::set<uint32_t> colours(p.argb.begin(), p.argb.end());
    EXPECT_GT(colours.size(), 2000u);
}

TEST(ProgramOptions, TheScreenshotTakesTheWindowsSizeAndAFileThatCannotBeWrittenExitsOne) {
    const std::string dir = temporaryFolder();
    auto run = runProgram({"--window=320x240", "--screenshot", dir + "/small.png"});
    EXPECT_EQ(run.exitStatus, 0) << run.errText();
    const Picture p = readPicture(dir + "/small.png");
    EXPECT_EQ(p.width, 320);
    EXPECT_EQ(p.height, 240);
    std::filesystem::remove_all(dir);

    run = runProgram({"--frames", "2", "--screenshot", dir + "/gone/x.png"});
    EXPECT_EQ(run.exitStatus, 1);
    const auto lines = std::count_if(run.err.begin(), run.err.end(), [](const auto& l) {
        return l.text.find("screenshot") != std::string::npos;
    });
    EXPECT_EQ(lines, 1);
    EXPECT_NE(run.errText().find("dravin: could not write the screenshot " + dir + "/gone/x.png\n"),
              std::string::npos)
        << run.errText();
}

TEST(ProgramOptions, UnderXvfbTheWindowHasItsSizeIsNotAboveOthersAndCtrlQOrCloseEndIt) {
    // The same window twice: ended once with Ctrl+Q, once with the window
    // manager's close request.
    std::string script = "exe='" + testing_support::buildDirectory() + "/dravin'; ";
    script += "for how in 'xdotool key --window $w ctrl+q' '" SEND_CLOSE_REQUEST " $w'; do "
              "\"$exe\" --window=640x480 >/dev/null 2>&1 & pid=$!; "
              "for i in $(seq 50); do w=$(xdotool search --name '^dravin$' 2>/dev/null | head -1); "
              "[ -n \"$w\" ] && break; sleep 0.1; done; sleep 1; "
              "xdotool getwindowgeometry \"$w\"; xprop -id \"$w\" _NET_WM_STATE; "
              "eval \"$how\"; "
              "for i in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done; "
              "kill -0 $pid 2>/dev/null && { echo still running; kill -KILL $pid; }; "
              "wait $pid; echo \"exit=$?\"; done";
    testing_support::ProcessOptions options;
    options.argv = {"/usr/bin/xvfb-run", "-a", "-s",  "-screen 0 1280x800x24 -noreset",
                    "/bin/sh",           "-c", script};
    options.env = {"SDL_VIDEODRIVER=x11"};
    const auto run = testing_support::runProcess(options);
    const std::string out = run.outText();
    EXPECT_TRUE(std::regex_search(
        out, std::regex("Geometry: 640x480[^]*exit=0\n[^]*Geometry: 640x480[^]*exit=0\n")))
        << out << run.errText();
    EXPECT_EQ(out.find("_NET_WM_STATE_ABOVE"), std::string::npos) << out;
    EXPECT_EQ(out.find("still running"), std::string::npos) << out;
}
