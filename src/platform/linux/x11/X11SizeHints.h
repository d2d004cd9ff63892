#pragma once

#include "base/Geometry.h"

#include <optional>

namespace tessane::linux_backend {

// WM_NORMAL_HINTS, the parts that constrain a size.
struct X11SizeHints {
    std::optional<Size> minSize;
    std::optional<Size> maxSize;
    // The steps in which the size may change (a terminal's character cell); only when both are
    // at least 1.
    std::optional<Size> resizeIncrements;
    // Where the increments count from (a terminal's scroll bar and padding).
    std::optional<Size> baseSize;
    // The least and the greatest width : height the window takes, each as (width, height) terms
    // of the ratio; only when both terms are at least 1.
    std::optional<Size> minAspect;
    std::optional<Size> maxAspect;
    std::optional<int> winGravity;
};

// The client size a window manager gives a window asked to take `wanted`, as ICCCM lays the
// hints out and managers apply them: between the minimum and the maximum, the aspect ratio (of
// the size beyond the base, when a base is given) kept by taking off the excess width or height,
// then rounded down to a whole number of increments from the base, but never below the minimum.
// Whole pixels, never less than 1.
Size constrainedClientSize(const X11SizeHints& hints, Size wanted);

}  // namespace tessane::linux_backend
