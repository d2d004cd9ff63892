#pragma once

#include "layout/LayoutEngine.h"

#include <algorithm>

namespace tessane::LayoutEngine::detail {

// A two-way share, clamped so that neither side vanishes. Anything not above 0.05 (NaN
// included) gives 0.05.
inline double clampShare(double r) {
    if (!(r > 0.05)) return 0.05;
    if (r > 0.95) return 0.95;
    return r;
}

// The segment rule along one axis, evaluated segment by segment so that callers can write
// straight into their results: one segment keeps the whole length; otherwise the length left
// after the gutters is shared by the ratio (two segments) or equally (three or more), never
// going below zero.
class AxisSplit {
public:
    AxisSplit(double total, int count, double gutter, double ratio)
        : count_(count), gutter_(gutter) {
        if (count == 1) {
            first_ = total;
            return;
        }
        if (count < 1) return;
        const double available = std::max(0.0, total - gutter * (count - 1));
        if (count == 2) {
            first_ = clampShare(ratio) * available;
            second_ = available - first_;
        } else {
            first_ = second_ = available / count;
        }
    }

    int count() const { return count_; }

    Segment segment(int k) const {
        if (count_ == 2) return k == 0 ? Segment{0, first_} : Segment{first_ + gutter_, second_};
        return Segment{k * (first_ + gutter_), first_};
    }
    // The gutter after segment k (k below count - 1).
    Segment gap(int k) const {
        const Segment s = segment(k);
        return Segment{s.offset + s.length, gutter_};
    }

private:
    int count_ = 0;
    double gutter_ = 0;
    double first_ = 0;
    double second_ = 0;
};

inline Rect columnRect(const Rect& r, Segment s) {
    return Rect(r.minX() + s.offset, r.minY(), s.length, r.height());
}

inline Rect rowRect(const Rect& r, Segment s, bool firstRowAtMinY) {
    const double y = firstRowAtMinY ? r.minY() + s.offset : r.maxY() - s.offset - s.length;
    return Rect(r.minX(), y, r.width(), s.length);
}

// A rectangle cut in two along one axis.
struct TwoWay {
    Rect first;
    Rect second;
    Rect gutter;
};

inline TwoWay splitColumns(const Rect& r, double ratio, double gutter) {
    const AxisSplit split(r.width(), 2, gutter, ratio);
    return {columnRect(r, split.segment(0)), columnRect(r, split.segment(1)),
            columnRect(r, split.gap(0))};
}

inline TwoWay splitRows(const Rect& r, double ratio, double gutter, bool firstRowAtMinY) {
    const AxisSplit split(r.height(), 2, gutter, ratio);
    return {rowRect(r, split.segment(0), firstRowAtMinY),
            rowRect(r, split.segment(1), firstRowAtMinY),
            rowRect(r, split.gap(0), firstRowAtMinY)};
}

}  // namespace tessane::LayoutEngine::detail
