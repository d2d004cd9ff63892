#include "StallWatch.h"

#include "model/Log.h"

#include <cstdio>
#include <cstdlib>

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
    last_ = std::chrono::steady_clock::now();
    timer_.start();
}

void StallWatch::tick() {
    const auto now = std::chrono::steady_clock::now();
    const auto late = std::chrono::duration_cast<std::chrono::microseconds>(now - last_ - kTick);
    last_ = now;
    if (late < threshold_) return;
    char line[128];
    std::snprintf(line, sizeof line, "[Tessane][stall] main thread held %.1f ms until %.6f", late.count() / 1e3,
                  std::chrono::duration<double>(now.time_since_epoch()).count());
    Log::line(line);
}

}  // namespace tessane::app
