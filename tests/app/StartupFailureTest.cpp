// The real program where the platform cannot give it what it needs: it says
// what is missing in one line and ends at once with status 1.
#include "tests/support/Process.h"

#include <gtest/gtest.h>

TEST(ProgramStartup, AVideoDriverWithoutOpenGLEndsTheProgramWithOneLineAndStatusOne) {
    testing_support::ProcessOptions options;
    options.argv = {testing_support::buildDirectory() + "/dravin"};
    // SDL's dummy driver makes windows but offers no OpenGL.
    options.env = {"SDL_VIDEODRIVER=dummy"};
    options.killAfter = 10;
    auto run = testing_support::runProcess(options);
    EXPECT_EQ(run.termSignal, 0);
    EXPECT_EQ(run.exitStatus, 1);
    ASSERT_EQ(run.err.size(), 1u) << run.errText();
    EXPECT_TRUE(run.err[0].text.starts_with("error: no OpenGL context could be created: "))
        << run.errText();
    EXPECT_LT(run.err[0].seconds, 5.0);
    // It stopped before the scene woke: no model was read, no loop started.
    for (const auto& line : run.out)
        EXPECT_NE(line.text, "awakeFromNib");
}
