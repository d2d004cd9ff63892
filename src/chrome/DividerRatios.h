#pragma once

#include "base/Geometry.h"
#include "layout/PaneLayout.h"
#include "model/LayoutType.h"

#include <optional>
#include <vector>

namespace tessane::DividerRatios {

// How many split ratios a layout uses (one for the two-pane layouts and mainSidebar, two for the
// rest).
inline int ratioCount(LayoutType type) { return layout_types::ratioCount(type); }

// `ratios` padded to at least `needed` entries: the first value added to an empty list is the
// layout's default (1/3 for threeColumns, 0.6 for mainSidebar, else 0.5), later ones 0.5.
std::vector<double> padded(std::vector<double> ratios, int needed, LayoutType type);

// The ratios after handle `ratioIndex` of a container with the given inner rectangle (screen
// coordinates, y up) was dragged to `pointer`; nothing when the drag changes nothing (a
// container too small for its minimum panes). Three columns dragged sideways solve both
// dividers together so that every column keeps 320 points; other drags move one ratio, clamped
// so both panes it separates keep 320 points (centred when they cannot).
std::optional<std::vector<double>> afterDrag(LayoutType type, const Rect& inner,
                                             const std::vector<double>& ratios, int ratioIndex,
                                             LayoutEngine::SplitAxis axis, Point pointer);

}  // namespace tessane::DividerRatios
