#include "chrome/CardPlacement.h"

#include <algorithm>
#include <optional>

namespace tessane {

namespace {
constexpr double kAboveContainerBottom = 28;
constexpr double kScreenMargin = 8;
}  // namespace

Rect cardFrameNear(const Rect& container, Size size, const Screens& screens) {
    double x = container.midX() - size.width / 2;
    double y = container.minY() + kAboveContainerBottom;
    std::optional<ScreenInfo> screen;
    for (const ScreenInfo& s : screens.screens())
        if (s.frame.intersects(container)) {
            screen = s;
            break;
        }
    if (!screen) screen = screens.mainScreen();
    if (screen) {
        const Rect& v = screen->visibleFrame;
        // min after max: the upper bound wins for a card too large for the margin.
        x = std::min(std::max(x, v.minX() + kScreenMargin), v.maxX() - size.width - kScreenMargin);
        y = std::min(std::max(y, v.minY() + kScreenMargin), v.maxY() - size.height - kScreenMargin);
    }
    return {x, y, size.width, size.height};
}

}  // namespace tessane
