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
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

host::Application& app() {
    return host::Application::shared();
}

// Loops off: only the test asks for redraws.
struct QuietView : MyOpenGLView {
    void startThreads() override {}
};

// Counts of its own: the rate line zeroes the view's each second.
struct HalfRateView : MyOpenGLView {
    std::atomic<int> calcs{0}, draws{0};
    void calcWorld() override {
        calcsPerSecond = 50.0;
        drawsPerSecond = 100.0;
        ++calcs;
    }
    void drawWorld(const host::Rect&) override { ++draws; }
};

// Its calculation loop ends after three steps; the drawing loop goes on.
struct ShortCalcView : MyOpenGLView {
    std::atomic<int> calcs{0};
    void stepCalc(void*) override {
        while (calcs.fetch_add(1) < 2)
            host::sleepFor(0.01);
    }
};

} // namespace

TEST(FrameLoop, MainThreadCallsWaitForTheLoopAndRunInOrderBeyondTheQueueCapacity) {
    ASSERT_NE(loadNullView<QuietView>(), nullptr);
    constexpr int kCalls = 500;
    // Each call carries its number and the count of calls run before it.
    struct Call {
        int number;
        std::atomic<int>* next;
        std::atomic<bool>* inOrder;
    };
    std::atomic<int> next{0};
    std::atomic<bool> inOrder{true}, returned{false};
    std::vector<Call> calls(kCalls, Call{0, &next, &inOrder});
    std::thread producer([&] {
        for (int i = 0; i < kCalls; ++i) {
            calls[i].number = i;
            host::performOnMainThread(
                [](void* p) {
                    auto* c = static_cast<Call*>(p);
                    if (c->next->fetch_add(1) != c->number)
                        c->inOrder->store(false);
                },
                &calls[i], i + 1 == kCalls); // the last one waits until done
        }
        returned = true;
    });
    // No event loop runs yet: the last call, which waits, cannot have returned.
    host::sleepFor(0.1);
    EXPECT_FALSE(returned.load());
    while (!returned.load())
        app().runFor(0.05);
    producer.join();
    EXPECT_EQ(next.load(), kCalls);
    EXPECT_TRUE(inOrder.load());
    int direct = 0; // from the main thread itself: at once
    host::performOnMainThread([](void* n) { ++*static_cast<int*>(n); }, &direct, true);
    EXPECT_EQ(direct, 1);
    EXPECT_FALSE(host::platform::sdlVideoStarted()); // nothing of the window system ran
}

TEST(FrameLoop, RequestsBeforeADisplayPassMergeIntoOneRedraw) {
    QuietView* view = loadNullView<QuietView>();
    ASSERT_NE(view, nullptr);
    app().runFor(0.05);
    view->drawFrames = 0;
    for (int i = 0; i < 5; ++i)
        host::performOnMainThread(
            [](void* v) { static_cast<MyOpenGLView*>(v)->mainThreadStepDraw(); }, view, false);
    app().runFor(0.05);
    EXPECT_EQ(view->drawFrames.load(), 1);
    app().runFor(0.05);
    EXPECT_EQ(view->drawFrames.load(), 1); // nothing asked again
}

TEST(FrameLoop, TheRateLineNamesEachCountInItsPlaceAndZeroesThem) {
    QuietView* view = loadNullView<QuietView>();
    ASSERT_NE(view, nullptr);
    test::CapturedOutput captured;
    view->calcFrames = 3;
    // Two host redraws: frames, but not requests.
    view->window()->setFrame({0, 0, 128, 96}, true);
    view->window()->setFrame({0, 0, 64, 64}, true);
    view->drawRequests += 7;
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
        0.01, [&](host::Timer* t) { fired += 10, t->invalidate(); }, true);
    app().runFor(0.1);
    EXPECT_EQ(fired, 11);
    // Both are spent and retired by the loop; their pointers still answer.
    EXPECT_FALSE(once->isValid() || repeating->isValid());
    EXPECT_EQ(repeating->timeInterval(), 0.01);
}

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

#ifndef NDEBUG
TEST(FrameLoopDeathTest, MainThreadOnlyOperationsFromAnotherThreadStopADebugBuild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto fromAnotherThread = [](auto operation) { std::thread(operation).join(); };
    EXPECT_DEATH(fromAnotherThread([] { host::Timer::scheduledTimer(1, nullptr, false); }),
                 "main thread");
    EXPECT_DEATH(fromAnotherThread([] { host::Application::shared().load({}); }), "main thread");
}
#endif

#if !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
TEST(FrameLoopDeathTest, AThreadTheSystemCannotMakeIsOneLineNotAnException) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto withoutRoomForAStack = [] {
        // Address space for what the process has now, and no room for a thread's stack.
        long pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            (void)!std::fscanf(f, "%ld", &pages);
            std::fclose(f);
        }
        rlim_t now = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE));
        rlimit limit{now + (1 << 20), now + (1 << 20)};
        setrlimit(RLIMIT_AS, &limit);
        bool started = host::detachNewThread([] {});
        std::exit(started ? 3 : 0);
    };
    EXPECT_EXIT(withoutRoomForAStack(), testing::ExitedWithCode(0),
                "error: a thread could not be started: ");
}
#endif
