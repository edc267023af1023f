// How the real program ends: at once with status 1 and one line when the
// platform cannot give it what it needs; with status 0 on Ctrl+Q.
#include "tests/support/Process.h"

#include <gtest/gtest.h>
#include <string>

TEST(ProgramEnding, AVideoDriverWithoutOpenGLEndsTheProgramWithOneLineAndStatusOne) {
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

TEST(ProgramEnding, CtrlQUnderXvfbEndsTheDemoWithStatusZero) {
    std::string script = "exe='" + testing_support::buildDirectory() + "/dravin'; ";
    script += "\"$exe\" >/dev/null 2>&1 & pid=$!; "
              "for i in $(seq 50); do w=$(xdotool search --name '^dravin$' 2>/dev/null | head -1); "
              "[ -n \"$w\" ] && break; sleep 0.1; done; sleep 0.5; "
              "xdotool windowfocus --sync \"$w\" key --window \"$w\" ctrl+q; "
              "for i in $(seq 30); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done; "
              "kill -0 $pid 2>/dev/null && echo still-running && kill -9 $pid; "
              "wait $pid; echo \"exit=$?\"";
    testing_support::ProcessOptions options;
    options.argv = {"/usr/bin/xvfb-run", "-a", "-s",  "-screen 0 1024x768x24",
                    "/bin/sh",           "-c", script};
    options.env = {"SDL_VIDEODRIVER=x11"};
    auto run = testing_support::runProcess(options);
    EXPECT_NE(run.outText().find("exit=0"), std::string::npos) << run.outText() << run.errText();
    EXPECT_EQ(run.outText().find("still-running"), std::string::npos);
}
