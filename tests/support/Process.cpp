#include "tests/support/Process.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

namespace {

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string join(const std::vector<Line>& lines) {
    std::string s;
    for (const auto& l : lines)
        s += l.text + "\n";
    return s;
}

// Splits what arrived into whole lines, keeping a partial one for later.
void takeLines(std::string& pending, std::vector<Line>& lines, double at) {
    size_t nl;
    while ((nl = pending.find('\n')) != std::string::npos) {
        lines.push_back({pending.substr(0, nl), at});
        pending.erase(0, nl + 1);
    }
}

} // namespace

std::string ProcessRun::outText() const {
    return join(out);
}
std::string ProcessRun::errText() const {
    return join(err);
}

std::string buildDirectory() {
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return ".";
    exe[n] = 0;
    std::string dir(exe);
    dir.erase(dir.rfind('/'));
    // Test executables live in <build>/tests/<folder>/.
    auto pos = dir.rfind("/tests/");
    return pos == std::string::npos ? dir : dir.substr(0, pos);
}

ProcessRun runProcess(const ProcessOptions& options) {
    ProcessRun run;
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        return run;

    std::vector<std::string> args = options.argv;
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        close(outPipe[1]);
        close(errPipe[1]);
        // Start with default signal dispositions, as from a terminal.
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        for (const auto& entry : options.env) {
            auto eq = entry.find('=');
            setenv(entry.substr(0, eq).c_str(), entry.substr(eq + 1).c_str(), 1);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);

    std::string pendingOut, pendingErr;
    bool signalled = false, killed = false;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        double t = seconds(start);
        if (!signalled && options.signalAfter >= 0 && t >= options.signalAfter) {
            kill(pid, options.signal);
            signalled = true;
        }
        if (!killed && t >= options.killAfter) {
            kill(pid, SIGKILL);
            killed = true;
        }
        int r = poll(fds, 2, 10);
        if (r < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            std::string& pending = i == 0 ? pendingOut : pendingErr;
            if (n > 0) {
                pending.append(buf, size_t(n));
                takeLines(pending, i == 0 ? run.out : run.err, seconds(start));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    if (!pendingOut.empty())
        run.out.push_back({pendingOut, seconds(start)});
    if (!pendingErr.empty())
        run.err.push_back({pendingErr, seconds(start)});
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        run.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        run.termSignal = WTERMSIG(status);
    return run;
}

} // namespace testing_support
