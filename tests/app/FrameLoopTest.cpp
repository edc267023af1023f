// The calculation and drawing loops, calls onto the main thread, timers and
// the merging of redraw requests, on the null platform: the real event loop
// without a window system.
#include "app/MyOpenGLView.h"
#include "host/Threads.h"
#include "host/Timer.h"
#include "tests/app/ViewHarness.h"
#include "tests/support/CapturedOutput.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

host::Application& app() {
    return host::Application::shared();
}

// Loops off: only the test asks for redraws.
class QuietView : public MyOpenGLView {
  public:
    void startThreads() override {}
};

void requestRedraw(MyOpenGLView* view) {
    host::performOnMainThread([](void* v) { static_cast<MyOpenGLView*>(v)->mainThreadStepDraw(); },
                              view, false);
}

} // namespace

TEST(FrameLoop, RunsOnTheNullPlatformWithoutTheWindowSystem) {
    ASSERT_NE(loadNullView<QuietView>(), nullptr);
    app().runFor(0.05);
    EXPECT_FALSE(host::platform::sdlVideoStarted());
}

TEST(FrameLoop, MainThreadCallBlocksItsCallerUntilDone) {
    ASSERT_NE(loadNullView<QuietView>(), nullptr);
    std::atomic<bool> ran{false}, returned{false}, sawRun{false};
    std::thread caller([&] {
        host::performOnMainThread(
            [](void* flag) { static_cast<std::atomic<bool>*>(flag)->store(true); }, &ran, true);
        sawRun = ran.load();
        returned = true;
    });
    // No event loop runs yet, so the call cannot have run and the caller waits.
    host::sleepFor(0.1);
    EXPECT_FALSE(ran.load());
    EXPECT_FALSE(returned.load());
    app().runFor(0.1);
    caller.join();
    EXPECT_TRUE(returned.load());
    EXPECT_TRUE(sawRun.load());
    int calls = 0; // from the main thread itself: at once
    host::performOnMainThread([](void* n) { ++*static_cast<int*>(n); }, &calls, true);
    EXPECT_EQ(calls, 1);
}

TEST(FrameLoop, QueuedCallsRunInOrderEvenBeyondTheQueueCapacity) {
    ASSERT_NE(loadNullView<QuietView>(), nullptr);
    struct Call {
        int number;
        std::atomic<int>* next;
        std::atomic<bool>* inOrder;
    };
    constexpr int kCalls = 500;
    std::atomic<int> next{0};
    std::atomic<bool> inOrder{true};
    std::vector<Call> calls;
    for (int i = 0; i < kCalls; ++i)
        calls.push_back({i, &next, &inOrder});
    std::thread producer([&] {
        for (auto& call : calls)
            host::performOnMainThread(
                [](void* p) {
                    auto* c = static_cast<Call*>(p);
                    if (c->next->fetch_add(1) != c->number)
                        c->inOrder->store(false);
                },
                &call, false);
    });
    while (next.load() < kCalls)
        app().runFor(0.05);
    producer.join();
    EXPECT_TRUE(inOrder.load());
}

TEST(FrameLoop, RequestsBeforeADisplayPassMergeIntoOneRedraw) {
    QuietView* view = loadNullView<QuietView>();
    ASSERT_NE(view, nullptr);
    app().runFor(0.05);
    view->drawFrames = 0;
    for (int i = 0; i < 5; ++i)
        requestRedraw(view);
    app().runFor(0.05);
    EXPECT_EQ(view->drawFrames.load(), 1);
    app().runFor(0.05);
    EXPECT_EQ(view->drawFrames.load(), 1); // nothing asked again
}

TEST(FrameLoop, TheRateLineNamesEachCountInItsPlace) {
    QuietView* view = loadNullView<QuietView>();
    ASSERT_NE(view, nullptr);
    test::CapturedOutput captured;
    // Three calculations; two host redraws that are frames but not requests.
    view->calcFrames = 3;
    view->window()->setFrame({0, 0, 128, 96}, true);
    view->window()->setFrame({0, 0, 64, 64}, true);
    EXPECT_EQ(view->drawFrames.load(), 2);
    EXPECT_EQ(view->drawRequests.load(), 0);
    view->drawRequests = 7;
    view->printFPS(nullptr);
    EXPECT_NE(captured.err().find("calcFPS: 3, drawFPS: 2, drawRequests: 7\n"), std::string::npos)
        << captured.err();
    EXPECT_EQ(view->calcFrames.load() + view->drawFrames.load() + view->drawRequests.load(), 0);
}

TEST(FrameLoop, AnInvalidatedTimerStaysReadableAndNeverFiresAgain) {
    ASSERT_NE(loadNullView<QuietView>(), nullptr);
    int fired = 0;
    host::Timer* once = host::Timer::scheduledTimer(
        0.01, [&](host::Timer*) { ++fired; }, false);
    host::Timer* repeating = host::Timer::scheduledTimer(
        0.01, [&](host::Timer* t) { t->invalidate(); }, true);
    app().runFor(0.1);
    EXPECT_EQ(fired, 1);
    // Both are spent and retired by the loop; their pointers still answer.
    EXPECT_FALSE(once->isValid());
    EXPECT_FALSE(repeating->isValid());
    EXPECT_EQ(repeating->timeInterval(), 0.01);
}

namespace {

class HalfRateView : public MyOpenGLView {
  public:
    std::atomic<int> calcs{0};
    std::atomic<int> draws{0};
    void calcWorld() override {
        calcsPerSecond = 50.0;
        drawsPerSecond = 100.0;
        ++calcs;
    }
    void drawWorld(const host::Rect&) override { ++draws; }
};

// Its calculation loop ends after three steps; the drawing loop goes on.
class ShortCalcView : public MyOpenGLView {
  public:
    std::atomic<int> calcs{0};
    void stepCalc(void*) override {
        while (calcs.fetch_add(1) < 2)
            host::sleepFor(0.01);
    }
};

} // namespace

TEST(FrameLoop, ASubclassThatChangesTheRatesChangesThePace) {
    HalfRateView* view = loadNullView<HalfRateView>();
    ASSERT_NE(view, nullptr);
    test::CapturedOutput quiet;
    app().runFor(2.0);
    // At the nominal 100 and 1000 there would be about 200 steps and
    // 1800 redraws; the new rates take effect from the second iteration.
    EXPECT_GT(view->calcs.load(), 80);
    EXPECT_LT(view->calcs.load(), 110);
    EXPECT_GT(view->draws.load(), 150);
    EXPECT_LT(view->draws.load(), 215);
}

TEST(FrameLoop, AStepOverrideThatReturnsEndsOnlyItsLoop) {
    ShortCalcView* view = loadNullView<ShortCalcView>();
    ASSERT_NE(view, nullptr);
    test::CapturedOutput quiet;
    app().runFor(0.3);
    EXPECT_EQ(view->calcs.load(), 3);
    EXPECT_GT(view->drawFrames.load(), 50);
}

TEST(FrameLoop, ASecondLoadWhileTheLoopsRunIsRefusedAndTheViewKept) {
    MyOpenGLView* first = loadNullView<MyOpenGLView>();
    ASSERT_NE(first, nullptr);
    test::CapturedOutput captured;
    EXPECT_EQ(loadNullView<QuietView>(), nullptr);
    EXPECT_EQ(app().mainView(), first);
    EXPECT_EQ(captured.log(),
              "error: a view is already loaded and its loops still run; the new one is not\n");
    app().runFor(0.1);
    EXPECT_GT(first->drawFrames.load(), 0);
}

TEST(FrameLoop, BareViewPrintsOneRateLineASecondNearTheNominalRates) {
    ASSERT_NE(loadNullView<MyOpenGLView>(), nullptr);
    test::CapturedOutput captured;
    app().runFor(3.05);
    std::string err = captured.err();
    int lines = 0, calc = 0, draw = 0, requests = 0;
    for (const char* p = err.c_str(); (p = strstr(p, "calcFPS: ")) != nullptr; ++p, ++lines) {
        ASSERT_EQ(sscanf(p, "calcFPS: %d, drawFPS: %d, drawRequests: %d", &calc, &draw, &requests),
                  3);
        SCOPED_TRACE(std::string(p, strcspn(p, "\n")));
        EXPECT_GT(calc, 90); // a 10 ms sleep after each step: a little below 100
        EXPECT_LE(calc, 101);
        EXPECT_LE(requests, 1001);
        EXPECT_LE(draw, requests + 1); // requests merge; none is drawn twice
    }
    EXPECT_EQ(lines, 3);
}
