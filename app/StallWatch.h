#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

namespace tessane::app {

// For measurements only: with TESSANE_STALL_LOG_MS=<n> in the environment at start, a precise
// timer ticks on the main thread every few milliseconds and every tick that comes at least n ms
// late is logged, with the monotonic time it came at: the main thread was held that long by
// something else (a blocking wait on the X server, a long step). Each line also tells how much of
// that the main thread spent on a processor and how much it was ready to run but waiting for one
// (the kernel's schedstat of the thread): the rest it slept, waiting for the X server or a timer.
// A busy machine's share is the waiting for a processor; ours is the rest. The named waits
// (WaitBounds) that held it are told after that: which, how long, how many ran to their bound.
// Without the variable
// nothing is made and nothing runs.
class StallWatch {
public:
    // None when the variable is absent or not a positive number.
    static std::unique_ptr<StallWatch> fromEnvironment();
    explicit StallWatch(std::chrono::milliseconds threshold);
    ~StallWatch();
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;

private:
    struct ThreadTimes {
        std::chrono::nanoseconds onProcessor{0};
        std::chrono::nanoseconds waitingForProcessor{0};
    };
    void tick();
    ThreadTimes threadTimes() const;

    QTimer timer_;
    std::chrono::milliseconds threshold_;
    std::chrono::steady_clock::time_point last_;
    ThreadTimes lastTimes_;
    int schedstat_ = -1;  // this thread's /proc schedstat, kept open
};

}  // namespace tessane::app
