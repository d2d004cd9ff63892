#include "base/TimeFormat.h"

#include <cstdio>
#include <ctime>

namespace tessane {

namespace {
std::tm localParts(WallClock::time_point t, int& millis) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch());
    auto secs = std::chrono::duration_cast<std::chrono::seconds>(ms);
    millis = static_cast<int>((ms - secs).count());
    if (millis < 0) {  // times before 1970 round toward the earlier second
        millis += 1000;
        secs -= std::chrono::seconds(1);
    }
    const std::time_t tt = static_cast<std::time_t>(secs.count());
    std::tm parts{};
    localtime_r(&tt, &parts);
    return parts;
}
}  // namespace

std::string formatTimeOfDay(WallClock::time_point t) {
    int ms = 0;
    const std::tm p = localParts(t, ms);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", p.tm_hour, p.tm_min, p.tm_sec, ms);
    return buf;
}

std::string formatDateTime(WallClock::time_point t) {
    int ms = 0;
    const std::tm p = localParts(t, ms);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.tm_year + 1900,
                  p.tm_mon + 1, p.tm_mday, p.tm_hour, p.tm_min, p.tm_sec, ms);
    return buf;
}

}  // namespace tessane
