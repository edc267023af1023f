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
    // SIGINT once three rate lines are out, however long a loaded machine takes.
    auto run = runProcess(
        {.argv = {program}, .env = {"SDL_VIDEODRIVER=offscreen"}, .signalWhen = [](const auto& r) {
             return rateLines(r.err).size() >= 3;
         }});
    ASSERT_TRUE(run.signalled) << "three rate lines never came\n" << run.errText();
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

    const auto started = std::find_if(run.out.begin(), run.out.end(),
                                      [](const Line& l) { return l.text == "/startThreads"; });
    ASSERT_NE(started, run.out.end());
    // A loaded machine only slows things down: the timer never fires early and
    // the loops, which sleep after each step, never step faster than their
    // rates. So only lower bounds on time and upper bounds on counts hold
    // everywhere; the rates themselves are the frame-loop benchmark's.
    const auto rates = rateLines(run.err);
    RateLine sum{0, 0, 0, 0};
    for (size_t i = 0; i < rates.size(); ++i) {
        SCOPED_TRACE("rate line " + std::to_string(i));
        EXPECT_GT(rates[i].seconds - started->seconds, double(i) + 0.5);
        sum.calc += rates[i].calc;
        sum.draw += rates[i].draw;
        sum.requests += rates[i].requests;
    }
    const double since = rates.back().seconds - started->seconds + 0.5;
    EXPECT_TRUE(sum.calc > 0 && sum.calc <= 101 * since) << sum.calc << " in " << since << " s";
    EXPECT_TRUE(sum.draw > 0 && sum.draw <= sum.requests + 2) << sum.draw << " " << sum.requests;
    EXPECT_LE(sum.requests, 1001 * since);
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
            "kill -TERM $pid; ended")
            .outText();
    EXPECT_NE(out.find("Position: 0,0"), std::string::npos) << out;
    EXPECT_NE(out.find("Geometry: 1280x800"), std::string::npos) << out;
    // Motif hints: flags 0x2 (decorations given), decorations 0x0.
    EXPECT_NE(out.find("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x2, 0x0, 0x0"), std::string::npos)
        << out;
    EXPECT_NE(out.find("_NET_WM_STATE_ABOVE"), std::string::npos) << out;
    EXPECT_NE(out.find("exit=0"), std::string::npos) << out;
}
