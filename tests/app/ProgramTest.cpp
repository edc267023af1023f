// The real program, started as a user starts it, under SDL's offscreen driver
// and under Xvfb.
#include "tests/support/Process.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using testing_support::Line;
using testing_support::runProcess;

namespace {

const std::string program = testing_support::buildDirectory() + "/dravin";

struct RateLine {
    int calc, draw, requests;
    double seconds;
};

std::vector<RateLine> rateLines(const std::vector<Line>& err) {
    std::vector<RateLine> rates;
    for (const auto& l : err)
        if (RateLine r{0, 0, 0, l.seconds};
            std::sscanf(l.text.c_str(), "calcFPS: %d, drawFPS: %d, drawRequests: %d", &r.calc,
                        &r.draw, &r.requests) == 3)
            rates.push_back(r);
    return rates;
}

} // namespace

TEST(Program, StartsInOrderLoadsTheModelPrintsARateLineEachSecondAndEndsOnSigint) {
    auto run =
        runProcess({.argv = {program}, .env = {"SDL_VIDEODRIVER=offscreen"}, .signalAfter = 4.5});

    EXPECT_EQ(run.exitStatus, 0) << run.errText();
    EXPECT_EQ(run.termSignal, 0);

    // The framework's lines in order, with the scene's model loading between
    // waking and the start of the loops; the reader's tests check the counts.
    std::vector<std::string> out;
    for (const auto& l : run.out)
        out.push_back(l.text.starts_with("v: ") ? "v: ..." : l.text);
    EXPECT_EQ(out, (std::vector<std::string>{"initWithFrame", "/initWithFrame", "awakeFromNib",
                                             "OBJ File Open: 1.obj", "MTL File Open: 1.mtl",
                                             "Object Loaded: dravinKnot", "v: ...", "",
                                             "startThreads", "/startThreads", "/awakeFromNib"}));

    auto rates = rateLines(run.err);
    ASSERT_GE(rates.size(), 3u) << run.errText();
    const auto started = std::find_if(run.out.begin(), run.out.end(),
                                      [](const Line& l) { return l.text == "/startThreads"; });
    ASSERT_NE(started, run.out.end());
    // Output through pipes arrives late by a scheduling slice at most.
    EXPECT_NEAR(rates[0].seconds - started->seconds, 1.0, 0.4);
    for (size_t i = 0; i < rates.size(); ++i) {
        SCOPED_TRACE("rate line " + std::to_string(i));
        if (i > 0) {
            EXPECT_NEAR(rates[i].seconds - rates[i - 1].seconds, 1.0, 0.4);
        }
        // The program draws the full scene, which on a software renderer keeps
        // both cores busy; the bare view's own pace is checked in the frame-loop tests.
        EXPECT_GT(rates[i].calc, 50);
        // A second whose timer fired late, behind a long frame, holds a few steps more.
        EXPECT_LE(rates[i].calc, 105);
        EXPECT_LE(rates[i].requests, 1005);
        EXPECT_GT(rates[i].draw, 0);
        EXPECT_LE(rates[i].draw, rates[i].requests + 2);
    }
    // Standard error holds nothing but rate lines and reshapes.
    EXPECT_EQ(rates.size() + std::count_if(run.err.begin(), run.err.end(),
                                           [](const Line& l) { return l.text == "reshape"; }),
              run.err.size())
        << run.errText();
}

TEST(Program, UnderXvfbTheWindowIsBorderlessAboveOthersAndCoversTheScreen) {
    // Without a window manager the Motif hints atom does not exist and the
    // platform skips the decoration hint, so the shell makes the atom first, as a
    // manager would. Then it looks at the window and ends the program with SIGTERM
    // (SIGINT is the test above's).
    const std::string out =
        testing_support::runUnderXvfb(
            "xprop -root -f _MOTIF_WM_HINTS 32c -set _MOTIF_WM_HINTS 0; start '" + program +
            "'; xdotool getwindowgeometry \"$w\"; xprop -id \"$w\" _MOTIF_WM_HINTS _NET_WM_STATE; "
            "kill -TERM $pid; wait $pid; echo \"exit=$?\"")
            .outText();
    EXPECT_NE(out.find("Position: 0,0"), std::string::npos) << out;
    EXPECT_NE(out.find("Geometry: 1280x800"), std::string::npos) << out;
    // Motif hints: flags 0x2 (decorations given), decorations 0x0.
    EXPECT_NE(out.find("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x2, 0x0, 0x0"), std::string::npos)
        << out;
    EXPECT_NE(out.find("_NET_WM_STATE_ABOVE"), std::string::npos) << out;
    EXPECT_NE(out.find("exit=0"), std::string::npos) << out;
}
