// A timer on the main thread's event loop.
#pragma once

#include <functional>

namespace host {

// Main thread only: scheduling, invalidating and firing (checked in debug builds).
class Timer {
  public:
    using Action = std::function<void(Timer*)>;

    // Schedules on the main thread's loop; the first firing comes one interval
    // from now, later ones keep a fixed schedule (a late firing does not delay
    // the next). The loop owns the timer. The pointer stays usable for the
    // life of the process: after invalidate the timer never fires again,
    // answers isValid() false and has let go of its action.
    static Timer* scheduledTimer(double interval, Action action, bool repeats);

    void invalidate();
    bool isValid() const { return valid_; }
    double timeInterval() const { return interval_; }

  private:
    friend class RunLoop;
    Timer(double interval, Action action, bool repeats, double firstFire)
        : interval_(interval), action_(std::move(action)), repeats_(repeats), fireAt_(firstFire) {}

    double interval_{};
    Action action_;
    bool repeats_{};
    double fireAt_{};
    bool valid_{true};
};

} // namespace host
