#include "layout/ScreenGeometry.h"

#include "layout/RectArea.h"
#include "platform/Screens.h"

namespace tessane::ScreenGeometry {

double primaryDisplayHeight(const Screens& screens) {
    for (const ScreenInfo& s : screens.screens()) {
        if (s.frame.origin.x == 0 && s.frame.origin.y == 0) return s.frame.height();
    }
    if (auto main = screens.mainScreen()) return main->frame.height();
    return 0;
}

Rect axRectFromScreen(const Rect& r, double primaryHeight) {
    if (r.isNull()) return r;
    const Rect s = r.standardized();
    return Rect(s.origin.x, primaryHeight - s.origin.y - s.size.height, s.size.width,
                s.size.height);
}

Rect screenRectFromAX(const Rect& r, double primaryHeight) {
    return axRectFromScreen(r, primaryHeight);
}

Point axPointFromScreen(Point p, double primaryHeight) { return Point{p.x, primaryHeight - p.y}; }

std::optional<Rect> maximizeTargetFrame(const Rect& container,
                                        const std::vector<ScreenPair>& screens) {
    if (screens.empty()) return std::nullopt;
    const Point centre{container.midX(), container.midY()};
    for (const ScreenPair& s : screens) {
        if (s.frame.contains(centre)) return s.visibleFrame;
    }
    const ScreenPair* best = &screens.front();
    double bestArea = intersectionArea(container, best->frame);
    for (const ScreenPair& s : screens) {
        const double area = intersectionArea(container, s.frame);
        if (area > bestArea) {
            bestArea = area;
            best = &s;
        }
    }
    return best->visibleFrame;
}

}  // namespace tessane::ScreenGeometry
