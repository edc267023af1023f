// Runs a program as a child process and records what it prints, line by
// line, with the time each line arrived.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct Line {
    std::string text;
    double seconds; // since the start of the child
};

std::string joinLines(const std::vector<Line>& lines); // each with its newline

struct ProcessRun {
    std::vector<Line> out;
    std::vector<Line> err;
    int exitStatus = -1; // exit code when it exited
    int termSignal = 0;  // the signal that ended it, if one did

    std::string outText() const { return joinLines(out); }
    std::string errText() const { return joinLines(err); }
};

struct ProcessOptions {
    std::vector<std::string> argv;
    std::vector<std::string> env; // "NAME=value" added to (or replacing in) the environment
    double signalAfter = -1;      // seconds; <0: never
    int signal = 2;               // SIGINT
};

ProcessRun runProcess(const ProcessOptions& options);

// Runs a shell script on a fresh 1280x800 Xvfb screen, SDL on X11. In it, `start PROGRAM ARGS`
// starts the program in the background ($pid) and waits until it has woken and its window ($w)
// is shown; `poll CONDITION` waits for a shell condition. Each waits 20 s at most.
ProcessRun runUnderXvfb(const std::string& script);

// The folder of the test executable's build tree (where the program is built).
std::string buildDirectory();

} // namespace testing_support
