#include "layout/AxisSplit.h"
#include "layout/LayoutEngine.h"

namespace tessane::LayoutEngine {

using detail::AxisSplit;
using detail::splitColumns;
using detail::splitRows;

double ratioValue(const std::optional<std::vector<double>>& ratios, int index, LayoutType type) {
    if (ratios) {
        if (index < 0) return 0.5;
        if (static_cast<size_t>(index) < ratios->size()) return (*ratios)[index];
    }
    if (index == 0 && type == LayoutType::mainSidebar) return 0.6;
    if (index == 0 && type == LayoutType::threeColumns) return 1.0 / 3.0;
    return 0.5;
}

double clampSplitRatio(double ratio, double available, double minPane) {
    if (!(available > 0)) return 0.5;
    // Comparing lengths rather than fractions keeps the 24-point and 640-point limits exact.
    double minimum = minPane;
    if (!(available - 2 * minPane >= 24)) {
        minimum = 320;
        if (available < 2 * minimum) return 0.5;
    }
    const double lo = minimum / available;
    const double hi = 1 - lo;
    if (!(ratio >= lo)) return lo;
    if (ratio > hi) return hi;
    return ratio;
}

std::vector<Segment> segments(double total, int count, double spacing, double ratio) {
    std::vector<Segment> out;
    if (count < 1) return out;
    const AxisSplit split(total, count, spacing, ratio);
    out.reserve(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) out.push_back(split.segment(k));
    return out;
}

std::vector<Rect> grid(const Rect& rect, int count, double spacing, double colRatio,
                       double rowRatio) {
    if (count <= 1) return {rect};
    if (count == 2) {
        const auto cols = splitColumns(rect, colRatio, spacing);
        return {cols.first, cols.second};
    }
    const auto rows = splitRows(rect, rowRatio, spacing, /*firstRowAtMinY=*/true);
    const auto first = splitColumns(rows.first, colRatio, spacing);
    if (count == 3) return {first.first, first.second, rows.second};
    const auto second = splitColumns(rows.second, colRatio, spacing);
    return {first.first, first.second, second.first, second.second};
}

std::vector<Rect> mainSidebar(const Rect& rect, int count, double spacing, double ratio) {
    if (count < 2) return {rect};
    const auto cols = splitColumns(rect, ratio, spacing);
    std::vector<Rect> out;
    out.reserve(static_cast<size_t>(count));
    out.push_back(cols.first);
    const Rect& side = cols.second;
    const AxisSplit rows(side.height(), count - 1, spacing, 0.5);
    for (int k = 0; k < count - 1; ++k) {
        const Segment s = rows.segment(k);
        out.push_back(Rect(side.minX(), side.minY() + s.offset, side.width(), s.length));
    }
    return out;
}

std::vector<Rect> matStripRects(const Rect& container, const std::vector<Rect>& panes) {
    std::vector<Rect> remaining{container};
    std::vector<Rect> next;
    for (const Rect& p : panes) {
        next.clear();
        for (const Rect& q : remaining) {
            const Rect i = q.intersection(p);
            if (i.isEmpty()) {
                next.push_back(q);
                continue;
            }
            if (q.minX() < i.minX())
                next.push_back(Rect(q.minX(), q.minY(), i.minX() - q.minX(), q.height()));
            if (i.maxX() < q.maxX())
                next.push_back(Rect(i.maxX(), q.minY(), q.maxX() - i.maxX(), q.height()));
            if (q.minY() < i.minY())
                next.push_back(Rect(i.minX(), q.minY(), i.width(), i.minY() - q.minY()));
            if (i.maxY() < q.maxY())
                next.push_back(Rect(i.minX(), i.maxY(), i.width(), q.maxY() - i.maxY()));
        }
        remaining.swap(next);
    }
    std::vector<Rect> kept;
    for (const Rect& r : remaining) {
        if (r.width() > 0.5 && r.height() > 0.5) kept.push_back(r);
    }
    return kept;
}

}  // namespace tessane::LayoutEngine
