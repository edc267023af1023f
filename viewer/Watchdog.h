// A deadline for a whole piece of work: when it passes before the work is
// done, a thread of its own acts (a thumbnailer ends itself with one line),
// whatever the main thread is stuck in.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class Watchdog {
  public:
    // Starts the clock. onExpiry runs on the watchdog's thread once the time
    // is up, unless disarm came first.
    Watchdog(double seconds, std::function<void()> onExpiry);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // True when the time was not up: onExpiry will never run. False when it
    // has run (returns once it has).
    bool disarm();

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool disarmed_{};
    bool expired_{};
    std::thread thread_;
};
