#pragma once

#include "model/RectModel.h"

#include <optional>
#include <vector>

namespace tessane {

// A saved container frame together with the ratios that went with it.
struct LayoutCheckpoint {
    RectModel containerFrame;
    std::optional<std::vector<double>> ratios;

    bool operator==(const LayoutCheckpoint&) const = default;
};

}  // namespace tessane
