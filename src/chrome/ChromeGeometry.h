#pragma once

#include "base/Geometry.h"
#include "layout/PaneLayout.h"
#include "model/LayoutType.h"

#include <vector>

namespace tessane::ChromeGeometry {

// The chrome's fixed measures, in points.
inline constexpr double kContainerInset = 3;    // margin between the container and its panes
inline constexpr double kGutter = 6;            // between two panes
inline constexpr double kRailWidth = 80;
inline constexpr double kRailHeight = 12;
inline constexpr double kMinHandleThickness = 16;
inline constexpr double kHandleHoverBand = 8;   // a handle lights up this close to its panel

// The rail panel: centred on the container's top edge, inside the container.
Rect railFrame(const Rect& container);
// Where the rail takes the pointer, in its own coordinates: only over no pane. It reaches into
// the panes' top edge, and where two panes meet under it, a window's title-bar buttons lie there.
std::vector<Rect> railInputArea(const Rect& rail, const std::vector<Rect>& panes);
// The container inset by kContainerInset on every side (never negative in size).
Rect innerRect(const Rect& container);
// Only these layouts have gutters, so handles and click-shield strips: not mainSidebar, and
// at least two panes.
bool hasPanesToDivide(LayoutType type, int appCount);
// The panes of the container in screen coordinates (first row on top); empty ratios mean the
// layout's defaults.
LayoutEngine::PaneLayout paneLayout(LayoutType type, const Rect& container, int appCount,
                                    const std::vector<double>& ratios);
// The same for panes laid directly into `inner` (already inset).
LayoutEngine::PaneLayout paneLayoutIn(LayoutType type, const Rect& inner, int appCount,
                                      const std::vector<double>& ratios);
// A handle panel over a gutter: at least kMinHandleThickness across, centred on the gutter.
Rect handleFrame(const LayoutEngine::SplitGutter& gutter);
// A rectangle grown by `d` on every side. Containment tests against it are half-open, like
// every Rect::contains.
Rect outset(const Rect& r, double d);

}  // namespace tessane::ChromeGeometry
