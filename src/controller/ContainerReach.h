#pragma once

#include "base/Geometry.h"
#include "controller/ContainerFrameRecord.h"
#include "layout/DisplayResolver.h"
#include "layout/DisplayTopology.h"

#include <vector>

namespace tessane {

// Whether the user can still reach a container at `frame` on these screens (Accessibility
// coordinates): enough of it shows, its top strip is on a screen, and so is the rail handle at
// its top centre that moves it.
inline bool isReachable(const Rect& frame, const std::vector<Rect>& screens) {
    constexpr Size kUsableOverlap{240, 56};
    constexpr double kTopStripWidth = 240;
    constexpr Size kRailHandle{80, 12};
    const Rect handle{frame.midX() - kRailHandle.width / 2, frame.minY(), kRailHandle.width, kRailHandle.height};
    return DisplayResolver::isUsablyVisible(frame, screens, kUsableOverlap) &&
           DisplayTopology::isTopOnScreen(frame, screens, kTopStripWidth) &&
           DisplayTopology::isHandleOnScreen(handle, screens);
}

// The frame itself when the screens cover it, else clamped onto the screen it overlaps most.
inline Rect keptOnItsScreen(const Rect& frame, const std::vector<Rect>& screens) {
    if (DisplayTopology::isFullyOnScreens(frame, screens)) return frame;
    const auto best = DisplayTopology::bestScreen(frame, screens);
    return best ? DisplayResolver::clamped(frame, *best, kMinimumContainer) : frame;
}

}  // namespace tessane
