// Runs the bare view for ten seconds on SDL's offscreen driver with the main
// thread otherwise idle, and prints the mean of its rate lines. With
// "default-slack" after the duration, the loop threads get the kernel's
// default timer slack back, for comparison in the same conditions.
#include "app/MyOpenGLView.h"
#include "host/Application.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/prctl.h>
#include <vector>

namespace {

struct Rates {
    int calc, draw, requests;
};

bool defaultSlack = false;

// The kernel's default slack, 50 us, as threads have it unless they ask.
void maybeRestoreDefaultSlack() {
    if (defaultSlack)
        prctl(PR_SET_TIMERSLACK, 50000UL, 0UL, 0UL, 0UL);
}

class MeasuredView : public MyOpenGLView {
  public:
    std::vector<Rates> seconds;
    void stepCalc(void* unused) override {
        maybeRestoreDefaultSlack();
        MyOpenGLView::stepCalc(unused);
    }
    void stepDraw(void* unused) override {
        maybeRestoreDefaultSlack();
        MyOpenGLView::stepDraw(unused);
    }
    void printFPS(host::Timer* timer) override {
        seconds.push_back({calcFrames.load(), drawFrames.load(), drawRequests.load()});
        MyOpenGLView::printFPS(timer);
    }
};

} // namespace

int main(int argc, char** argv) {
    double duration = argc > 1 ? std::atof(argv[1]) : 10.0;
    defaultSlack = argc > 2 && std::strcmp(argv[2], "default-slack") == 0;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    host::InterfaceDescription d;
    d.contentRect = {0, 0, 1024, 768};
    d.makeView = [] { return std::make_unique<MeasuredView>(); };
    auto& app = host::Application::shared();
    if (!app.load(d))
        return 1;
    app.runFor(duration + 0.05);
    auto* view = static_cast<MeasuredView*>(app.mainView());
    double calc = 0, draw = 0, requests = 0;
    for (const auto& s : view->seconds) {
        calc += s.calc;
        draw += s.draw;
        requests += s.requests;
    }
    double n = double(view->seconds.size());
    if (n == 0)
        return 1;
    std::printf("frame loop, bare view, %d s offscreen%s: mean calcFPS %.1f, drawFPS %.1f, "
                "drawRequests %.1f "
                "(goals: calcFPS >= 99, drawRequests >= 900)\n",
                int(n), defaultSlack ? ", default timer slack" : "", calc / n, draw / n,
                requests / n);
    std::fflush(stdout);
    std::_Exit(0);
}
