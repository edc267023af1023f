// Internal to host/: the main thread's queue of calls from other threads, and its timers.
#pragma once

#include "host/Timer.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace host {

// Monotonic seconds.
double now();

bool isMainThread();

class RunLoop {
  public:
    static RunLoop& shared();

    void perform(void (*fn)(void*), void* context, bool waitUntilDone);
    Timer* addTimer(double interval, Timer::Action action, bool repeats);

    // Main thread: runs every call queued so far; returns how many ran.
    int runPendingCalls();
    // Main thread: fires the timers that are due; retires invalidated ones.
    void fireDueTimers();
    // Main thread: blocks until a call is queued, a timer is due, or maxSeconds pass.
    void waitForWork(double maxSeconds);
    // Wakes waitForWork from any thread (also from the loop's own stop request).
    void wake();

  private:
    struct Call {
        void (*fn)(void*){};
        void* context{};
    };
    static constexpr size_t kCapacity = 64;

    std::mutex mutex_;
    std::condition_variable work_;     // the main thread waits here
    std::condition_variable progress_; // callers wait here for completion or room
    Call calls_[kCapacity]{};
    uint64_t issued_{};    // tickets handed out
    uint64_t completed_{}; // calls finished, in ticket order
    bool woken_{};
    std::vector<std::unique_ptr<Timer>> timers_;
    // Invalidated timers, kept so that the pointers handed out stay valid.
    std::vector<std::unique_ptr<Timer>> retired_;
};

} // namespace host
