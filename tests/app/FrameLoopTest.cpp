// The application loop on the null platform, the real event loop without a
// window system: the calculation and drawing loops, calls onto the main
// thread, timers, merged redraw requests, and platform events to the view's
// handlers with the pointer mapping and the application's own keys.
#include "app/MyOpenGLView.h"
#include "host/Threads.h"
#include "host/Timer.h"
#include "host/platform/SdlPlatform.h"
#include "tests/support/ViewHarness.h"
#include "tests/support/CapturedOutput.h"
#include "tests/support/EventInjection.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

host::Application& app = host::Application::shared();

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Records which handler each platform event reached; its loops never start.
struct RecordingView : Quiet<MyOpenGLView> {
    std::string calls;
    void mouseDown(const host::Event&) override { calls += "down "; }
    void mouseUp(const host::Event&) override { calls += "up "; }
    void mouseDragged(const host::Event&) override { calls += "drag "; }
    void otherMouseDown(const host::Event&) override { calls += "otherDown "; }
    void otherMouseDragged(const host::Event&) override { calls += "otherDrag "; }
    void otherMouseUp(const host::Event&) override { calls += "otherUp "; }
    void keyDown(const host::Event& e) override { calls += "key:" + e.characters + " "; }
    void scrollWheel(const host::Event& e) override {
        calls += "wheel:" + std::to_string(int(e.deltaY)) + " ";
    }
    void reshape() override { calls += "reshape "; }
};

// Half the nominal rates, set by each calculation step before its sleep.
struct HalfRateView : MyOpenGLView {
    void calcWorld() override {
        calcsPerSecond = 50.0;
        drawsPerSecond = 100.0;
    }
};

// Its calculation loop ends after three steps; the drawing loop goes on.
struct ShortCalcView : MyOpenGLView {
    std::atomic<int> calcs{0};
    void stepCalc(void*) override {
        while (calcs.fetch_add(1) < 2)
            host::sleepFor(0.01);
    }
};

// Runs the event loop until the condition holds or a generous minute has passed.
template <class Condition> bool runUntil(Condition condition) {
    const auto start = std::chrono::steady_clock::now();
    while (!condition() && secondsSince(start) < 60)
        app.runFor(0.01);
    return condition();
}

// Each test of the event path starts with a recording view of 1024 by 768.
struct EventRouting : testing::Test {
    void SetUp() override { ASSERT_NE(view = loadNullView<RecordingView>(1024, 768), nullptr); }
    RecordingView* view{};
};

} // namespace

TEST(FrameLoop, MainThreadCallsWaitForTheLoopAndRunInOrderAndSpentTimersFireNoMore) {
    ASSERT_NE(loadNullView<RecordingView>(), nullptr);
    static std::vector<int> seen; // only the main thread touches it
    auto record = [](void* n) { seen.push_back(*static_cast<int*>(n)); };
    std::vector<int> numbers(500);
    std::iota(numbers.begin(), numbers.end(), 0);
    std::atomic<bool> returned{false};
    std::thread producer([&] {
        for (int& n : numbers) // the last one waits until done
            host::performOnMainThread(record, &n, &n == &numbers.back());
        returned = true;
    });
    // Had the last call not waited for the loop, the calls would not all have run.
    ASSERT_TRUE(runUntil([&] { return returned.load(); })) << "the waiting call returned";
    producer.join();
    EXPECT_EQ(seen, numbers);
    host::performOnMainThread(record, &numbers[7], true); // from the main thread itself: at once
    EXPECT_EQ(seen.back(), 7);
    EXPECT_FALSE(host::platform::sdlVideoStarted()); // nothing of the window system ran
    // An invalidated timer stays readable and never fires again.
    int fired = 0;
    auto* once = host::Timer::scheduledTimer(
        0.01, [&](host::Timer*) { ++fired; }, false);
    auto* repeating = host::Timer::scheduledTimer(
        0.01, [&](host::Timer* t) { fired += 10, t->invalidate(); }, true);
    app.runFor(0.1);
    EXPECT_EQ(fired, 11);
    // Both are spent and retired by the loop; their pointers still answer.
    EXPECT_FALSE(once->isValid() || repeating->isValid());
}

TEST(FrameLoop, ASubclassThatChangesTheRatesChangesThePace) {
    const auto start = std::chrono::steady_clock::now();
    HalfRateView* view = loadNullView<HalfRateView>();
    ASSERT_NE(view, nullptr);
    view->printFPSTimer->invalidate(); // the rate line would zero the counts
    ASSERT_TRUE(runUntil([&] { return view->calcFrames >= 51; })) << "51 calculation steps";
    const double seconds = secondsSince(start);
    // The loops sleep after each step, so a busy machine only slows them: at
    // 50 a second the 49 steps after the first two take 0.98 s at least (at
    // the nominal 100, half that), and at 100 a second the drawing loop asks
    // for at most one frame each 10 ms (at the nominal 1000, ten).
    EXPECT_GE(seconds, 0.97);
    EXPECT_LE(view->drawFrames, 100 * seconds + 5);
}

TEST(FrameLoop, AStepOverrideThatReturnsEndsOnlyItsLoopAndASecondLoadMeanwhileIsRefused) {
    ShortCalcView* view = loadNullView<ShortCalcView>();
    ASSERT_NE(view, nullptr);
    test::CapturedOutput captured;
    EXPECT_EQ(loadNullView<RecordingView>(), nullptr);
    EXPECT_EQ(app.mainView(), view);
    EXPECT_EQ(captured.log(),
              "error: a view is already loaded and its loops still run; the new one is not\n");
    // The calculation thread ends after its three steps; the drawing loop goes on.
    ASSERT_TRUE(runUntil([&] { return host::runningThreads() == 1 && view->drawFrames > 50; }))
        << "the calculation loop ended and 50 frames drawn";
    EXPECT_EQ(view->calcs.load(), 3);
}

#if !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
TEST(FrameLoopDeathTest, AThreadTheSystemCannotMakeIsOneLineNotAnException) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto withoutRoomForAStack = [] {
        // Address space for what the process has now, and no room for a thread's stack.
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlim_t now = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE));
        rlimit limit{now + (1 << 20), now + (1 << 20)};
        setrlimit(RLIMIT_AS, &limit);
        std::exit(host::detachNewThread([] {}) ? 3 : 0);
    };
    EXPECT_EXIT(withoutRoomForAStack(), testing::ExitedWithCode(0),
                "error: a thread could not be started: ");
}
#endif

TEST_F(EventRouting, EachButtonReachesItsHandlers) {
    for (int button : {0, 1, 2, 4}) { // secondary (1): no handler
        host::postMouseButton(*view->window(), button, true, 512, 384);
        host::postMouseMotion(*view->window(), 1u << button, 256, 576);
        host::postMouseButton(*view->window(), button, false, 256, 576);
    }
    host::postKey(view->window(), 'a');
    host::postKey(nullptr, 'b'); // while no window had the keyboard focus
    host::postWheel(*view->window(), 0, -2);
    app.runFor(0.05);
    EXPECT_EQ(view->calls, "down drag up otherDown otherDrag otherUp otherDown otherDrag otherUp "
                           "key:a key:b wheel:-2 ");
}

TEST_F(EventRouting, PointerMovesMapToMinusOneToOneWhileDeliveryIsOn) {
    // Where the pointer goes, where the view sees it, and whether it is delivered.
    const std::tuple<float, float, float, float, bool> cases[] = {
        {-512, -384, -2, -2, true},    // beyond the lower-left corner: not clamped
        {512, 384, -2, -2, false},     // after losing focus: not delivered
        {256, 576, -0.5f, 0.5f, true}, // focus back; a quarter in from the left and the top
    };
    for (const auto& [x, y, expectX, expectY, delivered] : cases) {
        SCOPED_TRACE(testing::Message() << "at " << x << "," << y);
        if (delivered != view->window()->acceptsMouseMovedEvents())
            delivered ? view->becomeFirstResponder() : view->resignFirstResponder();
        host::postMouseMotion(*view->window(), 0, x, y);
        app.runFor(0.01);
        EXPECT_EQ(std::pair(view->mouseLoc.x, view->mouseLoc.y), std::pair(expectX, expectY));
    }
}

TEST_F(EventRouting, ExposuresAndRequestsRedrawOnceEachResizesReshapeAndTheRateLineTellsThemApart) {
    app.runFor(0.01);
    view->drawFrames = 0;
    view->calls.clear();
    host::postExpose(*view->window());
    host::postExpose(*view->window());
    host::postResize(*view->window(), 640, 480);
    app.runFor(0.05);
    EXPECT_EQ(view->drawFrames.load(), 1);
    EXPECT_EQ(view->calls, "reshape ");
    EXPECT_TRUE(view->frame().width == 640 && view->window()->frame().height == 480);
    for (int i = 0; i < 5; ++i)
        view->mainThreadStepDraw();
    app.runFor(0.1);
    EXPECT_EQ(view->drawFrames.load(), 2); // merged, and nothing asked again
    view->calcFrames = 3, view->drawRequests = 7;
    test::CapturedOutput captured;
    view->printFPS(nullptr);
    EXPECT_EQ(captured.err(), "calcFPS: 3, drawFPS: 2, drawRequests: 7\n");
}

TEST_F(EventRouting, CtrlQAndTheCloseRequestEndTheLoopWithStatusZero) {
    app.stop(3);
    app.run(); // a stop asked before the loop ends it at once
    EXPECT_EQ(app.exitStatus(), 3);
    // Ctrl+Q to the window, Ctrl+Q while no window has the focus, the close request.
    for (int way : {0, 1, 2}) {
        SCOPED_TRACE(way);
        view->calls.clear();
        way == 2 ? host::postCloseRequest(*view->window())
                 : host::postKey(way ? nullptr : view->window(), 'q', true);
        host::postKey(view->window(), 'x'); // after the quit: not delivered by this loop
        app.runFor(2.0);
        EXPECT_EQ(app.exitStatus(), 0);
        EXPECT_EQ(view->calls, way == 2 ? "" : "key:q "); // the view still gets the key
        app.runFor(0.01);
    }
}

TEST_F(EventRouting, ADroppedFileGoesToTheOpenFileHandlerOnlyAndTheFrameHookRunsBeforeEachSwap) {
    std::vector<std::string> opened;
    for (bool handled : {false, true}) {
        app.setOpenFileHandler(handled ? [&](const std::string& p) { opened.push_back(p); }
                                       : std::function<void(const std::string&)>());
        host::postFileDrop(*view->window(), handled ? "/m/b.obj" : "/m/a.obj");
        app.runFor(0.01);
    }
    app.setOpenFileHandler(nullptr);
    EXPECT_EQ(opened, std::vector<std::string>{"/m/b.obj"});
    EXPECT_EQ(view->calls, ""); // the view sees no drop
    // The frame hook: before each swap of the main view.
    auto& null = host::platform::useNullPlatform();
    std::vector<int> swapsSeen; // by each call of the hook, -1 for another view
    app.setFrameHook(
        [&](host::OpenGLView& v) { swapsSeen.push_back(&v == view ? null.swaps : -1); });
    const int swaps = null.swaps;
    view->openGLContext()->flushBuffer();
    view->openGLContext()->flushBuffer();
    app.setFrameHook(nullptr);
    EXPECT_EQ(swapsSeen, (std::vector<int>{swaps, swaps + 1})); // before each swap
}
