// The calculation and drawing loops, calls onto the main thread and the
// merging of redraw requests, with the real event loop on SDL's offscreen driver.
#include "app/MyOpenGLView.h"
#include "host/Threads.h"
#include "tests/app/ViewHarness.h"

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

} // namespace

TEST(FrameLoop, MainThreadCallBlocksItsCallerUntilDone) {
    ASSERT_NE(loadView<QuietView>(64, 64), nullptr);
    std::atomic<bool> ran{false}, returned{false}, sawRun{false};
    std::thread caller([&] {
        host::performOnMainThread(
            [](void* flag) { static_cast<std::atomic<bool>*>(flag)->store(true); }, &ran, true);
        sawRun = ran.load();
        returned = true;
    });
    // No event loop runs yet, so the call cannot have run and the caller waits.
    host::sleepFor(0.2);
    EXPECT_FALSE(ran.load());
    EXPECT_FALSE(returned.load());
    app().runFor(0.2);
    caller.join();
    EXPECT_TRUE(returned.load());
    EXPECT_TRUE(sawRun.load());
}

TEST(FrameLoop, MainThreadCallFromTheMainThreadRunsAtOnce) {
    int calls = 0;
    host::performOnMainThread([](void* n) { ++*static_cast<int*>(n); }, &calls, true);
    EXPECT_EQ(calls, 1);
}

TEST(FrameLoop, QueuedCallsRunInOrderEvenBeyondTheQueueCapacity) {
    ASSERT_NE(loadView<QuietView>(64, 64), nullptr);
    // Each call carries its own number; the main thread checks they come in order.
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
    EXPECT_EQ(next.load(), kCalls);
    EXPECT_TRUE(inOrder.load());
}

TEST(FrameLoop, RequestsBeforeADisplayPassMergeIntoOneRedraw) {
    QuietView* view = loadView<QuietView>(64, 64);
    ASSERT_NE(view, nullptr);
    app().runFor(0.1); // let any redraw of the window's own creation happen
    view->drawFrames = 0;
    for (int i = 0; i < 5; ++i)
        host::performOnMainThread(
            [](void* v) { static_cast<MyOpenGLView*>(v)->mainThreadStepDraw(); }, view, false);
    app().runFor(0.1);
    EXPECT_EQ(view->drawFrames.load(), 1);
    app().runFor(0.1);
    EXPECT_EQ(view->drawFrames.load(), 1); // nothing asked again
}

TEST(FrameLoop, HostRedrawsCountAsFramesButNotAsRequests) {
    QuietView* view = loadView<QuietView>(64, 64);
    ASSERT_NE(view, nullptr);
    view->drawFrames = 0;
    view->window()->setFrame({0, 0, 128, 96}, true); // the host resizes and redraws at once
    EXPECT_EQ(view->drawFrames.load(), 1);
    EXPECT_EQ(view->drawRequests.load(), 0);
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

} // namespace

TEST(FrameLoop, ASubclassThatChangesTheRatesChangesThePace) {
    HalfRateView* view = loadView<HalfRateView>(64, 64);
    ASSERT_NE(view, nullptr);
    testing::internal::CaptureStderr();
    app().runFor(2.0);
    testing::internal::GetCapturedStderr();
    // At the nominal 100 and 1000 there would be about 200 steps and
    // 1800 redraws; the new rates take effect from the second iteration.
    EXPECT_GT(view->calcs.load(), 80);
    EXPECT_LT(view->calcs.load(), 110);
    EXPECT_GT(view->draws.load(), 150);
    EXPECT_LT(view->draws.load(), 215);
}

TEST(FrameLoop, BareViewPrintsOneRateLineASecondNearTheNominalRates) {
    ASSERT_NE(loadView<MyOpenGLView>(64, 64), nullptr);
    testing::internal::CaptureStderr();
    app().runFor(3.05);
    std::string err = testing::internal::GetCapturedStderr();
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
