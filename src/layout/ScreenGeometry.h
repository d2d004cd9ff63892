#pragma once

#include "base/Geometry.h"

#include <optional>
#include <vector>

namespace tessane {

class Screens;

// The two coordinate spaces of the desktop meet here. Our own windows live in screen
// coordinates (origin bottom-left of the primary display, y up); other applications' windows are
// placed in Accessibility coordinates (origin top-left of the primary display, y down). A
// rectangle's y in one space is the primary display's height minus y minus height in the other.
namespace ScreenGeometry {

// One display's whole frame and usable frame, in screen coordinates.
struct ScreenPair {
    Rect frame;
    Rect visibleFrame;
    bool operator==(const ScreenPair&) const = default;
};

// The height of the first display whose frame starts exactly at (0, 0); failing that, of the
// main display; 0 with no displays at all. Reads the displays afresh on every call.
double primaryDisplayHeight(const Screens& screens);

// The flip between the two spaces; it is its own inverse, the two names only say which way a
// call site converts.
Rect axRectFromScreen(const Rect& screenRect, double primaryHeight);
Rect screenRectFromAX(const Rect& axRect, double primaryHeight);
// A point has no height: its y becomes the primary display's height minus y.
Point axPointFromScreen(Point screenPoint, double primaryHeight);

// The rectangle that "maximize" fills for a container: the visible frame of the first display
// whose frame holds the container's centre, else of the display overlapping the container most
// (the earlier display on a tie, the first one when nothing overlaps); none without displays.
std::optional<Rect> maximizeTargetFrame(const Rect& containerCocoaRect,
                                        const std::vector<ScreenPair>& screens);

}  // namespace ScreenGeometry
}  // namespace tessane
