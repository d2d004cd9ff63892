#pragma once

#include "base/Geometry.h"
#include "layout/PaneLayout.h"
#include "model/LayoutType.h"

#include <optional>
#include <vector>

namespace tessane::LayoutEngine {

// Pane geometry. Pure and stateless: every call recomputes from its arguments and allocates only
// its result. It works in whichever coordinate space the container is given in; columns run from
// the minimum-x edge, rows from the maximum-y edge downwards, or from the minimum-y edge upwards
// when `firstRowAtMinY` is set (callers pick the flag that makes the first row the top row on
// screen: false for screen coordinates, true for Accessibility coordinates).

// The panes, app frames, gutters and handles of `type` for `count` apps in `container`. Ratios
// are read with ratioValue; a missing handle thickness means the gutter's. A count of 0 or less,
// or a container without width or height, gives the empty layout.
PaneLayout paneLayout(LayoutType type, const Rect& container, int count,
                      const std::optional<std::vector<double>>& ratios, double gutter,
                      double appInset, bool firstRowAtMinY,
                      std::optional<double> handleThickness = std::nullopt);

// The content size that holds the given app sizes (in pane order) side by side: stacked for
// topBottomSplit, in a row for every other type; zero for no sizes.
Size contentToFitApps(LayoutType type, const std::vector<Size>& appSizes, double gutter);

// --- Ratio rules ---

// The ratio at `index`, or the type's default when the list is missing or too short: 0.6 for
// mainSidebar's first ratio, 1/3 for threeColumns' first, 0.5 otherwise. A negative index reads
// as 0.5. Stored values are returned unclamped.
double ratioValue(const std::optional<std::vector<double>>& ratios, int index, LayoutType type);

// Keeps a divider where both panes it separates stay at least `minPane` long, given the length
// being split after its gutter. When two minimum panes would leave under 24 points of travel, a
// 320-point minimum applies instead, and a length too short for even that centres the divider.
double clampSplitRatio(double ratio, double available, double minPane);

// --- Rectangle splits without handles ---

struct Segment {
    double offset = 0;
    double length = 0;
    bool operator==(const Segment&) const = default;
};

// Splits a length into `count` segments `spacing` apart: one segment keeps the whole length, two
// share it by `ratio` (clamped to 0.05...0.95), three or more share it equally.
std::vector<Segment> segments(double total, int count, double spacing, double ratio);

// Up to four rectangles in two columns (by colRatio) and two rows (by rowRatio), rows from the
// minimum-y edge: one, two side by side, two over a full-width one, or a 2 x 2 grid.
std::vector<Rect> grid(const Rect& rect, int count, double spacing, double colRatio,
                       double rowRatio);

// A main column on the left (by ratio) and the rest stacked in equal rows beside it, rows from
// the minimum-y edge.
std::vector<Rect> mainSidebar(const Rect& rect, int count, double spacing, double ratio);

// The parts of `container` that no pane covers, as strips wider and taller than half a point.
std::vector<Rect> matStripRects(const Rect& container, const std::vector<Rect>& panes);

}  // namespace tessane::LayoutEngine
