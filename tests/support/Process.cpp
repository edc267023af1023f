#include "tests/support/Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace testing_support {

namespace {

namespace fs = std::filesystem;

// Takes the whole lines that arrived, keeping a partial one until the end (n <= 0).
void take(std::string& pending, std::vector<Line>& lines, const char* bytes, ssize_t n, double at) {
    pending.append(bytes, size_t(n > 0 ? n : 0));
    for (size_t nl; (nl = pending.find('\n')) != std::string::npos; pending.erase(0, nl + 1))
        lines.push_back({pending.substr(0, nl), at});
    if (n <= 0 && !pending.empty())
        lines.push_back({pending, at});
}

} // namespace

std::string joinLines(const std::vector<Line>& lines) {
    std::string s;
    for (const auto& l : lines)
        s += l.text + "\n";
    return s;
}

std::string buildDirectory() {
    // Test executables live in <build>/tests/<folder>/.
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path().parent_path();
}

ProcessRun runProcess(const ProcessOptions& options) {
    ProcessRun run;
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        return run;
    std::vector<char*> argv;
    for (const auto& a : options.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            close(fd);
        // Start with default signal dispositions, as from a terminal.
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        for (const auto& entry : options.env)
            putenv(const_cast<char*>(entry.c_str())); // this copy of it lives until the exec
        execv(argv[0], argv.data());
        const std::string why =
            "cannot run " + options.argv[0] + ": " + std::strerror(errno) + "\n";
        [[maybe_unused]] ssize_t n = write(2, why.data(), why.size());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);

    std::string pending[2];
    bool killed = false;
    std::vector<Line>* lines[2] = {&run.out, &run.err};
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (options.signalWhen && !run.signalled && options.signalWhen(run)) {
            run.signalled = true;
            kill(pid, SIGINT);
        }
        if (seconds() >= kProcessDeadlineSeconds && !std::exchange(killed, true)) {
            kill(pid, SIGKILL);
            run.err.push_back({"(killed: still running after the deadline)", seconds()});
        }
        if (poll(fds, 2, 10) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            take(pending[i], *lines[i], buf, n, seconds());
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
    }
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    run.peakKilobytes = usage.ru_maxrss;
    if (WIFEXITED(status))
        run.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        run.termSignal = WTERMSIG(status);
    return run;
}

ProcessRun runUnderXvfb(const std::string& script, const std::string& screen,
                        const std::string& serverOptions) {
    const std::string server =
        "-screen 0 " + screen + "x24 -noreset" + (serverOptions.empty() ? "" : " " + serverOptions);
    ProcessRun run = runProcess({.argv = {"/usr/bin/xvfb-run", "-a", "-s", server, "/bin/sh", "-c",
                                          ". '" DRAVIN_XVFB_HELPERS "'\n" + script},
                                 .env = {"SDL_VIDEODRIVER=x11"}});
    // The tests read the script's output: a tool that failed in it, or
    // xvfb-run itself ("xauth command not found"), says why there, last.
    for (const Line& line : run.err)
        run.out.push_back({"standard error: " + line.text, line.seconds});
    return run;
}

} // namespace testing_support
