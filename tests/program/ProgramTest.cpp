// The real program, started as a user starts it, under SDL's offscreen driver.
#include "tests/support/Process.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using testing_support::Line;

namespace {

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
    auto run = testing_support::runProcess(
        {.argv = {testing_support::buildDirectory() + "/dravin"},
         .env = {"SDL_VIDEODRIVER=offscreen"},
         .signalWhen = [](const auto& r) { return rateLines(r.err).size() >= 3; }});
    ASSERT_TRUE(run.signalled) << "three rate lines never came\n" << run.errText();
    EXPECT_EQ(run.exitStatus, 0) << run.errText(); // not ended by the signal itself

    // The framework's lines in order, with the scene's model loading between
    // waking and the start of the loops; the reader's tests check the counts.
    std::vector<std::string> out;
    for (const auto& l : run.out)
        out.push_back(l.text.starts_with("v: ") ? "v: ..." : l.text);
    ASSERT_EQ(out, (std::vector<std::string>{"initWithFrame", "/initWithFrame", "awakeFromNib",
                                             "OBJ File Open: 1.obj", "MTL File Open: 1.mtl",
                                             "Object Loaded: dravinKnot", "v: ...", "",
                                             "startThreads", "/startThreads", "/awakeFromNib"}));
    const double started = run.out[9].seconds; // "/startThreads"
    // A loaded machine only slows things down: the timer never fires early and
    // the loops, which sleep after each step, never step faster than their
    // rates. So only lower bounds on time and upper bounds on counts hold
    // everywhere; the rates themselves are the frame-loop benchmark's.
    const auto rates = rateLines(run.err);
    RateLine sum{0, 0, 0, 0};
    for (size_t i = 0; i < rates.size(); ++i) {
        EXPECT_GT(rates[i].seconds - started, double(i) + 0.5) << "rate line " << i;
        sum.calc += rates[i].calc, sum.draw += rates[i].draw, sum.requests += rates[i].requests;
    }
    const double since = rates.back().seconds - started + 0.5;
    EXPECT_TRUE(sum.calc > 0 && sum.calc <= 101 * since) << sum.calc << " in " << since << " s";
    EXPECT_TRUE(sum.draw > 0 && sum.draw <= sum.requests + 2) << sum.draw << " " << sum.requests;
    EXPECT_LE(sum.requests, 1001 * since);
    // Standard error holds nothing but rate lines and reshapes.
    EXPECT_EQ(rates.size() + std::ranges::count(run.err, "reshape", &Line::text), run.err.size())
        << run.errText();
}
