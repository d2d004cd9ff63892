#pragma once

#include <optional>
#include <vector>

namespace tessane {

// Present only on a three-app workspace of type threeLeftOneRightTwo in three-columns mode.
// Unfolded, the panes are three side-by-side columns; folded, the threeLeftOneRightTwo
// arrangement. The layout's ratios belong to the current mode, `parkedRatios` to the other.
struct ThreeColumnsState {
    bool folded = false;
    std::optional<std::vector<double>> parkedRatios;

    bool operator==(const ThreeColumnsState&) const = default;
};

}  // namespace tessane
