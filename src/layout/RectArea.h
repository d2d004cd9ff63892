#pragma once

#include "base/Geometry.h"

namespace tessane {

// The area two rectangles share; 0 when they are apart or only touch.
inline double intersectionArea(const Rect& a, const Rect& b) {
    const Rect i = a.intersection(b);
    if (i.isNull()) return 0;
    return i.width() * i.height();
}

}  // namespace tessane
