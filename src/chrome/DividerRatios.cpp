#include "chrome/DividerRatios.h"

#include "chrome/ChromeGeometry.h"
#include "layout/LayoutEngine.h"

#include <algorithm>

namespace tessane::DividerRatios {

namespace {

constexpr double kMinPane = 320;
constexpr double kGutter = ChromeGeometry::kGutter;

// Both dividers of three columns at once, so that moving one pushes the other rather than
// squeezing a column below the minimum.
std::optional<std::vector<double>> solveThreeColumns(const Rect& inner, const std::vector<double>& ratios,
                                                     int ratioIndex, double pointerX) {
    const double W = inner.width();
    if (W <= 3 * kMinPane + 2 * kGutter) return std::nullopt;
    const double avail = W - kGutter;
    const double r0 = std::clamp(ratios.at(0), 0.05, 0.95);
    const double r1 = std::clamp(ratios.at(1), 0.05, 0.95);
    const double a = avail * r0;                               // first column's width
    const double e = a + kGutter + r1 * (avail - a - kGutter);  // where the second gutter starts
    const double pos = pointerX - inner.minX() - kGutter / 2;

    double a2 = 0, e2 = 0;
    if (ratioIndex == 0) {
        a2 = std::max(kMinPane, pos);
        e2 = e - a2 - kGutter >= kMinPane ? e : a2 + kMinPane + kGutter;
        if (W - e2 - kGutter < kMinPane) {
            e2 = avail - kMinPane;
            a2 = std::min(a2, e2 - kMinPane - kGutter);
        }
    } else {
        e2 = W - pos - kGutter >= kMinPane ? pos : avail - kMinPane;
        a2 = e2 - a - kGutter >= kMinPane ? a : e2 - kMinPane - kGutter;
        if (a2 < kMinPane) {
            e2 = std::max(2 * kMinPane + kGutter, e2);
            a2 = kMinPane;
        }
    }
    const double b = e2 - a2 - kGutter;
    const double c = W - e2 - kGutter;
    if (a2 <= 0 || b <= 0 || c <= 0) return std::nullopt;
    return std::vector<double>{a2 / avail, b / (b + c)};
}

}  // namespace

std::vector<double> padded(std::vector<double> ratios, int needed, LayoutType type) {
    while (static_cast<int>(ratios.size()) < needed) {
        double value = 0.5;
        if (ratios.empty() && type == LayoutType::threeColumns) value = 1.0 / 3;
        if (ratios.empty() && type == LayoutType::mainSidebar) value = 0.6;
        ratios.push_back(value);
    }
    return ratios;
}

std::optional<std::vector<double>> afterDrag(LayoutType type, const Rect& inner,
                                             const std::vector<double>& ratios, int ratioIndex,
                                             LayoutEngine::SplitAxis axis, Point pointer) {
    if (ratioIndex < 0) return std::nullopt;
    auto working = padded(ratios, std::max(ratioIndex + 1, ratioCount(type)), type);
    const bool column = axis == LayoutEngine::SplitAxis::column;
    if (type == LayoutType::threeColumns && column)
        return solveThreeColumns(inner, working, ratioIndex, pointer.x);

    const double length = column ? inner.width() : inner.height();
    const double avail = std::max(length - kGutter, 0.0);
    if (avail <= 0) return std::nullopt;
    // Rows are counted from the top.
    const double along = column ? pointer.x - inner.minX() : inner.maxY() - pointer.y;
    const double r = (along - kGutter / 2) / (length - kGutter);
    working[ratioIndex] = LayoutEngine::clampSplitRatio(r, avail, kMinPane);
    return working;
}

}  // namespace tessane::DividerRatios
