#include "host/internal/RunLoop.h"

#include "diag/Diagnostics.h"
#include "host/Threads.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <system_error>
#include <thread>

namespace host {

namespace {
// Static initialisation runs on the thread that runs main.
const std::thread::id gMainThread = std::this_thread::get_id();
std::atomic<int> gRunningThreads{0};
} // namespace

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool isMainThread() {
    return std::this_thread::get_id() == gMainThread;
}

RunLoop& RunLoop::shared() {
    // Never destroyed: threads that outlive main may still be waiting on it.
    static RunLoop* loop = new RunLoop;
    return *loop;
}

void RunLoop::perform(void (*fn)(void*), void* context, bool waitUntilDone) {
    if (waitUntilDone && isMainThread()) {
        fn(context);
        return;
    }
    std::unique_lock lock(mutex_);
    if (isMainThread()) {
        // The main thread cannot wait for room it must make itself.
        while (issued_ - completed_ >= kCapacity) {
            lock.unlock();
            runPendingCalls();
            lock.lock();
        }
    } else {
        progress_.wait(lock, [&] { return issued_ - completed_ < kCapacity; });
    }
    uint64_t ticket = issued_++;
    calls_[ticket % kCapacity] = Call{fn, context};
    work_.notify_one();
    if (waitUntilDone)
        progress_.wait(lock, [&] { return completed_ > ticket; });
}

int RunLoop::runPendingCalls() {
    int ran = 0;
    std::unique_lock lock(mutex_);
    while (completed_ < issued_) {
        Call call = calls_[completed_ % kCapacity];
        lock.unlock();
        call.fn(call.context);
        lock.lock();
        ++completed_;
        ++ran;
        progress_.notify_all();
    }
    return ran;
}

Timer* RunLoop::addTimer(double interval, Timer::Action action, bool repeats) {
    assert(isMainThread() && "timers belong to the main thread");
    auto timer =
        std::unique_ptr<Timer>(new Timer(interval, std::move(action), repeats, now() + interval));
    Timer* raw = timer.get();
    timers_.push_back(std::move(timer));
    return raw;
}

void RunLoop::fireDueTimers() {
    assert(isMainThread() && "timers fire on the main thread");
    double t = now();
    // Index loop: an action may schedule another timer.
    for (size_t i = 0; i < timers_.size(); ++i) {
        Timer* timer = timers_[i].get();
        if (!timer->valid_ || timer->fireAt_ > t)
            continue;
        if (timer->repeats_) {
            // Fixed schedule; firings missed while the loop was busy are skipped.
            do
                timer->fireAt_ += timer->interval_;
            while (timer->fireAt_ <= t);
        } else {
            timer->valid_ = false;
        }
        timer->action_(timer);
    }
    auto retire = std::stable_partition(timers_.begin(), timers_.end(),
                                        [](const auto& timer) { return timer->valid_; });
    for (auto it = retire; it != timers_.end(); ++it) {
        (*it)->action_ = nullptr; // lets go of what the action captured
        retired_.push_back(std::move(*it));
    }
    timers_.erase(retire, timers_.end());
}

void RunLoop::waitForWork(double maxSeconds) {
    double until = now() + maxSeconds;
    for (const auto& timer : timers_)
        if (timer->valid_ && timer->fireAt_ < until)
            until = timer->fireAt_;
    std::unique_lock lock(mutex_);
    double wait = until - now();
    if (wait > 0 && completed_ == issued_ && !woken_)
        work_.wait_for(lock, std::chrono::duration<double>(wait),
                       [&] { return completed_ != issued_ || woken_; });
    woken_ = false;
}

void RunLoop::wake() {
    std::lock_guard lock(mutex_);
    woken_ = true;
    work_.notify_one();
}

Timer* Timer::scheduledTimer(double interval, Action action, bool repeats) {
    return RunLoop::shared().addTimer(interval, std::move(action), repeats);
}

void Timer::invalidate() {
    assert(isMainThread() && "timers belong to the main thread");
    valid_ = false;
}

namespace {

// The kernel's scheduling attributes (sched_setattr(2)); glibc has no wrapper here.
struct SchedAttr {
    uint32_t size;
    uint32_t policy;
    uint64_t flags;
    int32_t nice;
    uint32_t priority;
    uint64_t runtime, deadline, period;
};

// The threads made here pace themselves by sleeping a fixed interval, so a
// sleep that ends late slows them down. The default timer slack (50 us) lets
// every sleep end late; and while the renderer keeps both cores busy, a woken
// thread waits for the running one's time slice. A short slice (0.1 ms, the
// kernel's minimum; asked for without privileges since Linux 6.12) lets it
// run at once; where the kernel refuses it the thread keeps the default.
void wakeOnTime() {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    SchedAttr attr{};
    if (syscall(SYS_sched_getattr, 0, &attr, sizeof attr, 0) != 0 || attr.policy != SCHED_OTHER)
        return;
    attr.size = sizeof attr;
    attr.flags = 0;
    attr.runtime = 100000; // ns
    syscall(SYS_sched_setattr, 0, &attr, 0);
}

} // namespace

bool detachNewThread(std::function<void()> body) {
    gRunningThreads.fetch_add(1);
    try {
        std::thread([body = std::move(body)] {
            wakeOnTime();
            body();
            gRunningThreads.fetch_sub(1);
        }).detach();
    } catch (const std::system_error& e) {
        gRunningThreads.fetch_sub(1);
        diag::log("error: a thread could not be started: %s", e.what());
        return false;
    }
    return true;
}

int runningThreads() {
    return gRunningThreads.load();
}

void sleepFor(double seconds) {
    // A rate of zero gives an infinite interval; a day is as good and stays representable.
    constexpr double kLongest = 86400.0;
    if (seconds > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(std::min(seconds, kLongest)));
}

void performOnMainThread(void (*fn)(void*), void* context, bool waitUntilDone) {
    RunLoop::shared().perform(fn, context, waitUntilDone);
}

} // namespace host
