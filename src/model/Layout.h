#pragma once

#include "model/LayoutType.h"
#include "model/SplitNode.h"
#include "model/ThreeColumnsState.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

// A workspace's layout: its kind, divider ratios (read by index by the layout engine; missing or
// short lists fall back to defaults, stored values are not clamped) and three-column state.
struct Layout {
    LayoutType type = LayoutType::leftRightSplit;
    std::optional<SplitNode> splitTree;
    std::optional<std::vector<double>> ratios;
    std::optional<std::map<std::string, std::string>> paneAssignments;
    std::optional<ThreeColumnsState> threeColumns;

    // "Three Columns" whenever a three-columns state is present, else the type's label.
    std::string displayName() const;

    // Switches a three-columns layout between its unfolded (three columns) and folded modes,
    // swapping the current and parked ratios (defaults: [0.5, 0.5] folded, [1/3, 0.5] unfolded).
    // Unchanged when there is no three-columns state or it is already in the asked mode.
    Layout foldingThreeColumns(bool folded) const;

    bool operator==(const Layout&) const = default;
};

}  // namespace tessane
