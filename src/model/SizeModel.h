#pragma once

#include "base/Geometry.h"

namespace tessane {

// A stored size, such as the smallest size an application was seen to accept.
struct SizeModel {
    double width = 0;
    double height = 0;

    static SizeModel from(const Size& s) { return {s.width, s.height}; }
    Size size() const { return Size{width, height}; }

    bool operator==(const SizeModel&) const = default;
};

}  // namespace tessane
