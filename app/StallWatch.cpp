#include "StallWatch.h"

#include "base/WaitBounds.h"
#include "model/Log.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <fcntl.h>
#include <unistd.h>

namespace tessane::app {

namespace {
constexpr std::chrono::milliseconds kTick{5};
}

std::unique_ptr<StallWatch> StallWatch::fromEnvironment() {
    const char* value = std::getenv("TESSANE_STALL_LOG_MS");
    if (!value) return nullptr;
    const long threshold = std::strtol(value, nullptr, 10);
    if (threshold <= 0) return nullptr;
    return std::make_unique<StallWatch>(std::chrono::milliseconds(threshold));
}

StallWatch::StallWatch(std::chrono::milliseconds threshold) : threshold_(threshold) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTick);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    // Made on the main thread: the file is this thread's.
    schedstat_ = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    last_ = std::chrono::steady_clock::now();
    lastTimes_ = threadTimes();
    timer_.start();
}

StallWatch::~StallWatch() {
    if (schedstat_ >= 0) ::close(schedstat_);
}

// Nanoseconds on a processor, then waiting on a run queue; zeros where the kernel keeps no
// schedstat.
StallWatch::ThreadTimes StallWatch::threadTimes() const {
    char text[128] = {};
    if (schedstat_ < 0) return {};
    const ssize_t n = ::pread(schedstat_, text, sizeof text - 1, 0);
    unsigned long long running = 0, waiting = 0;
    if (n <= 0 || std::sscanf(text, "%llu %llu", &running, &waiting) != 2) return {};
    return {std::chrono::nanoseconds(running), std::chrono::nanoseconds(waiting)};
}

void StallWatch::tick() {
    const auto now = std::chrono::steady_clock::now();
    const auto late = std::chrono::duration_cast<std::chrono::microseconds>(now - last_ - kTick);
    last_ = now;
    const ThreadTimes times = threadTimes(), before = std::exchange(lastTimes_, times);
    // The named waits that held the thread since the last tick: read at every tick, told with a stall.
    const auto waits = WaitBounds::take();
    if (late < threshold_) return;
    const auto ms = [](std::chrono::nanoseconds t) { return std::chrono::duration<double, std::milli>(t).count(); };
    char text[192];
    std::snprintf(text, sizeof text,
                  "[Tessane][stall] main thread held %.1f ms until %.6f (on a processor %.1f ms, waiting for one %.1f ms)",
                  late.count() / 1e3, std::chrono::duration<double>(now.time_since_epoch()).count(),
                  ms(times.onProcessor - before.onProcessor), ms(times.waitingForProcessor - before.waitingForProcessor));
    std::string line = text;
    for (const auto& w : waits) {
        std::snprintf(text, sizeof text, " %.1f ms in %d wait%s", w.waitedSeconds * 1e3, w.waits, w.waits == 1 ? "" : "s");
        line += "; for " + w.name + text;
        if (w.ranOut > 0) line += ", " + std::to_string(w.ranOut) + " to the end of its bound";
    }
    Log::line(line);
}

}  // namespace tessane::app
