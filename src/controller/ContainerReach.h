#pragma once

#include "base/Geometry.h"
#include "controller/ContainerFrameRecord.h"
#include "layout/DisplayResolver.h"
#include "layout/DisplayTopology.h"

#include <optional>
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

// A frame larger than the screen it overlaps most, either way, clamped onto that screen; none
// when it fits one (however far it runs past an edge). No container this program puts up is
// larger than its display, but one stored on a larger display, or in X pixels by a build that
// worked at a scale above 1, is: shown as it is, its far side and rail would lie off screen.
inline std::optional<Rect> fittedOntoItsScreen(const Rect& frame, const std::vector<Rect>& screens) {
    const auto best = DisplayTopology::bestScreen(frame, screens);
    if (!best || (frame.width() <= best->width() && frame.height() <= best->height())) return std::nullopt;
    return DisplayResolver::clamped(frame, *best, kMinimumContainer);
}

}  // namespace tessane
