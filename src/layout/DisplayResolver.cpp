#include "layout/DisplayResolver.h"

#include "layout/RectArea.h"

#include <algorithm>

namespace tessane::DisplayResolver {

std::optional<size_t> currentScreenIndex(std::optional<Point> mouseLocation,
                                         std::optional<Rect> focusedWindowFrame,
                                         const std::vector<Rect>& screenFrames) {
    if (mouseLocation) {
        for (size_t i = 0; i < screenFrames.size(); ++i) {
            if (screenFrames[i].contains(*mouseLocation)) return i;
        }
    }
    if (!focusedWindowFrame) return std::nullopt;
    std::optional<size_t> best;
    double bestArea = 0;
    for (size_t i = 0; i < screenFrames.size(); ++i) {
        const double area = intersectionArea(*focusedWindowFrame, screenFrames[i]);
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    return best;
}

bool isUsablyVisible(const Rect& rect, const std::vector<Rect>& screenFrames, Size minVisible) {
    for (const Rect& s : screenFrames) {
        const Rect i = s.intersection(rect);
        if (i.isEmpty()) continue;
        if (i.width() >= minVisible.width && i.height() >= minVisible.height) return true;
    }
    return false;
}

Rect clamped(const Rect& rect, const Rect& screen, Size minSize) {
    const double width = std::min(screen.width(), std::max(rect.width(), minSize.width));
    const double height = std::min(screen.height(), std::max(rect.height(), minSize.height));
    const double x = std::min(screen.maxX() - width, std::max(rect.minX(), screen.minX()));
    const double y = std::min(screen.maxY() - height, std::max(rect.minY(), screen.minY()));
    return Rect(x, y, width, height);
}

}  // namespace tessane::DisplayResolver
