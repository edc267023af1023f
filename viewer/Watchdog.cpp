#include "viewer/Watchdog.h"

#include <chrono>

Watchdog::Watchdog(double seconds, std::function<void()> onExpiry) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(seconds));
    thread_ = std::thread([this, deadline, onExpiry = std::move(onExpiry)] {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wake_.wait_until(lock, deadline, [this] { return disarmed_; }))
            return;
        expired_ = true;
        // Under the lock: a disarm in the meantime waits for the end of it.
        onExpiry();
    });
}

Watchdog::~Watchdog() {
    disarm();
    thread_.join();
}

bool Watchdog::disarm() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (expired_)
        return false;
    disarmed_ = true;
    wake_.notify_all();
    return true;
}
