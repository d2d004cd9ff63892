#include "chrome/ChromeGeometry.h"

#include "layout/LayoutEngine.h"

#include <algorithm>

namespace tessane::ChromeGeometry {

Rect railFrame(const Rect& c) {
    return {c.midX() - kRailWidth / 2, c.maxY() - kRailHeight, kRailWidth, kRailHeight};
}

std::vector<Rect> railInputArea(const Rect& rail, const std::vector<Rect>& panes) {
    auto area = LayoutEngine::matStripRects(rail, panes);
    for (Rect& r : area) r = r.offsetBy(-rail.minX(), -rail.minY());
    return area;
}

Rect innerRect(const Rect& c) {
    return {c.minX() + kContainerInset, c.minY() + kContainerInset,
            std::max(c.width() - 2 * kContainerInset, 0.0),
            std::max(c.height() - 2 * kContainerInset, 0.0)};
}

bool hasPanesToDivide(LayoutType type, int appCount) {
    return type != LayoutType::mainSidebar && appCount >= 2;
}

LayoutEngine::PaneLayout paneLayout(LayoutType type, const Rect& container, int appCount,
                                    const std::vector<double>& ratios) {
    return paneLayoutIn(type, innerRect(container), appCount, ratios);
}

LayoutEngine::PaneLayout paneLayoutIn(LayoutType type, const Rect& inner, int appCount,
                                      const std::vector<double>& ratios) {
    std::optional<std::vector<double>> r;
    if (!ratios.empty()) r = ratios;
    return LayoutEngine::paneLayout(type, inner, appCount, r, kGutter, 0, /*firstRowAtMinY=*/false);
}

Rect handleFrame(const LayoutEngine::SplitGutter& g) {
    const Rect r = g.rect;
    if (g.axis == LayoutEngine::SplitAxis::column) {
        const double t = std::max(kMinHandleThickness, r.width());
        return {r.midX() - t / 2, r.minY(), t, r.height()};
    }
    const double t = std::max(kMinHandleThickness, r.height());
    return {r.minX(), r.midY() - t / 2, r.width(), t};
}

Rect outset(const Rect& r, double d) {
    return {r.minX() - d, r.minY() - d, r.width() + 2 * d, r.height() + 2 * d};
}

}  // namespace tessane::ChromeGeometry
