#pragma once

#include <chrono>
#include <string>

namespace tessane {

using WallClock = std::chrono::system_clock;

// Local time (the user's time zone), 24-hour clock.
std::string formatTimeOfDay(WallClock::time_point t);  // "HH:mm:ss.SSS"
std::string formatDateTime(WallClock::time_point t);   // "yyyy-MM-dd HH:mm:ss.SSS"

}  // namespace tessane
