#pragma once

#include "base/Geometry.h"

#include <optional>
#include <vector>

namespace tessane::LayoutEngine {

// Which way a gutter runs. A `column` gutter sits between two side-by-side panes (a vertical
// strip, dragged along x); a `row` gutter between two stacked panes (a horizontal strip, dragged
// along y).
enum class SplitAxis { column, row };

// The strip between two panes. `ratioIndex` names the layout ratio whose value places it; a
// gutter that no ratio controls (equal splits of three or more) has none.
struct SplitGutter {
    SplitAxis axis = SplitAxis::column;
    std::optional<int> ratioIndex;
    Rect rect;
    bool operator==(const SplitGutter&) const = default;
};

// One draggable divider: a gutter with a ratio, at least as thick as the handle thickness.
struct SplitHandleSpec {
    SplitAxis axis = SplitAxis::column;
    int ratioIndex = 0;
    Rect rect;
    bool operator==(const SplitHandleSpec&) const = default;
};

// The geometry of one layout in one container. Pane i holds app i of the workspace; appFrames[i]
// is paneFrames[i] inset by the app inset; handles follow the gutters that have a ratio index.
struct PaneLayout {
    std::vector<Rect> paneFrames;
    std::vector<Rect> appFrames;
    std::vector<SplitGutter> gutters;
    std::vector<SplitHandleSpec> handles;
    bool operator==(const PaneLayout&) const = default;
};

}  // namespace tessane::LayoutEngine
