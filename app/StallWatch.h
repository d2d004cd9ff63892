#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

namespace tessane::app {

// For measurements only: with TESSANE_STALL_LOG_MS=<n> in the environment at start, a precise
// timer ticks on the main thread every few milliseconds and every tick that comes at least n ms
// late is logged, with the monotonic time it came at: the main thread was held that long by
// something else (a blocking wait on the X server, a long step). Without the variable nothing is
// made and nothing runs.
class StallWatch {
public:
    // None when the variable is absent or not a positive number.
    static std::unique_ptr<StallWatch> fromEnvironment();
    explicit StallWatch(std::chrono::milliseconds threshold);

private:
    void tick();

    QTimer timer_;
    std::chrono::milliseconds threshold_;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace tessane::app
