#pragma once

#include "layout/LayoutEngine.h"

#include <ostream>

// Readable failure messages for the layout records.
namespace tessane::LayoutEngine {

inline void PrintTo(SplitAxis axis, std::ostream* os) {
    *os << (axis == SplitAxis::column ? "column" : "row");
}
inline void PrintTo(const SplitGutter& g, std::ostream* os) {
    PrintTo(g.axis, os);
    *os << "[";
    if (g.ratioIndex) *os << *g.ratioIndex; else *os << "-";
    *os << "] " << g.rect;
}
inline void PrintTo(const SplitHandleSpec& h, std::ostream* os) {
    PrintTo(h.axis, os);
    *os << "[" << h.ratioIndex << "] " << h.rect;
}
inline void PrintTo(const Segment& s, std::ostream* os) {
    *os << "(" << s.offset << ", " << s.length << ")";
}

}  // namespace tessane::LayoutEngine
