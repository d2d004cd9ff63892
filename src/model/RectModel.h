#pragma once

#include "base/Geometry.h"

namespace tessane {

// A stored rectangle. All four values are required in the stored form.
struct RectModel {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    static RectModel from(const Rect& r) { return {r.origin.x, r.origin.y, r.size.width, r.size.height}; }
    Rect rect() const { return Rect(x, y, width, height); }

    bool operator==(const RectModel&) const = default;
};

}  // namespace tessane
