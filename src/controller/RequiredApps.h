#pragma once

#include "model/LayoutType.h"

#include <cstddef>
#include <optional>

namespace tessane {

// How many applications a layout takes; none means "one or more".
inline std::optional<size_t> requiredApps(LayoutType type) {
    switch (type) {
        case LayoutType::leftRightSplit:
        case LayoutType::topBottomSplit:
            return 2;
        case LayoutType::grid2x2:
            return 4;
        case LayoutType::mainSidebar:
            return std::nullopt;
        default:
            return 3;
    }
}

}  // namespace tessane
