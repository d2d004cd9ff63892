#include "layout/DisplayTopology.h"

#include "layout/RectArea.h"
#include "platform/Screens.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessane::DisplayTopology {

namespace {

constexpr double kTopStripHeight = 56.0;
constexpr double kFullyOnScreenShare = 0.99;
constexpr double kAtTolerance = 2.0;

// Truncation toward zero that stays defined for values no display can have.
long long truncated(double v) {
    if (!std::isfinite(v)) return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<long long>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<long long>::max());
    if (v <= lo) return std::numeric_limits<long long>::min();
    if (v >= hi) return std::numeric_limits<long long>::max();
    return static_cast<long long>(v);
}

}  // namespace

std::string displayIdentity(const ScreenInfo& screen) {
    if (screen.displayNumber && screen.displayUUID && !screen.displayUUID->empty()) {
        return *screen.displayUUID;
    }
    const Rect& f = screen.frame;
    return "geom:" + std::to_string(truncated(f.width())) + "x" +
           std::to_string(truncated(f.height())) + "@" + std::to_string(truncated(f.minX())) +
           "," + std::to_string(truncated(f.minY()));
}

std::optional<std::string> currentFingerprint(const std::vector<ScreenInfo>& screens) {
    if (screens.empty()) return std::nullopt;
    std::vector<std::string> ids;
    ids.reserve(screens.size());
    for (const ScreenInfo& s : screens) ids.push_back(displayIdentity(s));
    std::sort(ids.begin(), ids.end());
    std::string joined;
    for (const std::string& id : ids) {
        if (!joined.empty()) joined += '+';
        joined += id;
    }
    return joined;
}

DisplayFrames displayFrames(const std::vector<ScreenInfo>& screens) {
    DisplayFrames frames;
    for (size_t i = 0; i < screens.size(); ++i) {
        const auto& uuid = screens[i].displayUUID;
        frames[uuid && !uuid->empty() ? *uuid : "#" + std::to_string(i)] = screens[i].frame;
    }
    return frames;
}

bool reframed(const DisplayFrames& before, const DisplayFrames& after) {
    for (const auto& [key, frame] : after)
        if (const auto it = before.find(key); it != before.end() && !(it->second == frame)) return true;
    return false;
}

std::optional<Rect> bestScreen(const Rect& rect, const std::vector<Rect>& screenFrames) {
    std::optional<Rect> best;
    double bestArea = 0;
    for (const Rect& s : screenFrames) {
        const double area = intersectionArea(rect, s);
        if (area > bestArea) {
            bestArea = area;
            best = s;
        }
    }
    return best;
}

bool isFullyOnScreens(const Rect& rect, const std::vector<Rect>& screenFrames) {
    const double area = rect.width() * rect.height();
    if (!(area > 0)) return false;
    double covered = 0;
    for (const Rect& s : screenFrames) covered += intersectionArea(rect, s);
    return covered >= kFullyOnScreenShare * area;
}

bool isAt(const Rect& a, const Rect& b) {
    return std::fabs(a.minX() - b.minX()) <= kAtTolerance &&
           std::fabs(a.minY() - b.minY()) <= kAtTolerance &&
           std::fabs(a.width() - b.width()) <= kAtTolerance &&
           std::fabs(a.height() - b.height()) <= kAtTolerance;
}

bool isTopOnScreen(const Rect& rect, const std::vector<Rect>& screenFrames, double minWidth) {
    const Rect strip(rect.minX(), rect.minY(), rect.width(),
                     std::min(rect.height(), kTopStripHeight));
    for (const Rect& s : screenFrames) {
        const Rect i = s.intersection(strip);
        if (i.isEmpty()) continue;
        if (i.width() >= minWidth && i.height() >= strip.height() - 1.0) return true;
    }
    return false;
}

bool isHandleOnScreen(const Rect& rect, const std::vector<Rect>& screenFrames) {
    if (!(rect.width() > 0) || !(rect.height() > 0)) return true;
    for (const Rect& s : screenFrames) {
        const Rect i = s.intersection(rect);
        if (i.isNull()) continue;
        if (i.width() >= rect.width() / 2 && i.height() >= rect.height() / 2) return true;
    }
    return false;
}

}  // namespace tessane::DisplayTopology
