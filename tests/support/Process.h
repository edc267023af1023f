// Runs a program as a child process and records what it prints, line by
// line, with the time each line arrived.
#pragma once

#include <functional>
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
    int exitStatus = -1;  // exit code when it exited
    int termSignal = 0;   // the signal that ended it, if one did
    bool signalled{};     // SIGINT was sent (the options' condition held)
    long peakKilobytes{}; // the child's largest resident size

    std::string outText() const { return joinLines(out); }
    std::string errText() const { return joinLines(err); }
};

struct ProcessOptions {
    std::vector<std::string> argv;
    std::vector<std::string> env; // "NAME=value" added to (or replacing in) the environment
    // Sends SIGINT once, as soon as this holds of what has arrived; empty: never.
    std::function<bool(const ProcessRun&)> signalWhen{};
};

// Generous, for a loaded machine: a run still going then is killed, with a
// line on its err saying so.
constexpr double kProcessDeadlineSeconds = 240;

ProcessRun runProcess(const ProcessOptions& options);

// Runs a shell script on a fresh Xvfb screen (1280x800 unless given; serverOptions are
// more of Xvfb's, "-wr" for a white root), SDL on X11. In it:
//   poll CONDITION WHAT   waits until the shell condition holds, or fails printing
//                         "not met in 90 s: WHAT";
//   show PROGRAM ARGS     starts the program in the background ($pid, its output in $log)
//                         and waits until its window ($w) is shown;
//   start PROGRAM ARGS    the same, and waits until it has also woken (/awakeFromNib);
//   ended                 waits until $pid has ended and prints "exit=STATUS".
//   rates                 prints how many rate lines are in $log;
//   drawn [N]             prints the frames drawn, from the rate lines in $log after the
//                         first N (each rate line counts the second before it).
// What the run wrote on standard error (a tool's complaint, or xvfb-run's own
// when it could not start the screen) follows its output, each line marked
// "standard error: ".
ProcessRun runUnderXvfb(const std::string& script, const std::string& screen = "1280x800",
                        const std::string& serverOptions = "");

// The folder of the test executable's build tree (where the program is built).
std::string buildDirectory();

} // namespace testing_support
