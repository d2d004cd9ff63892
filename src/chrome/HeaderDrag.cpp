// The move rail's gestures: dragging the whole group (only our own windows move until the drop)
// and maximize.
#include "chrome/ContainerWindowController.h"

#include "chrome/ChromeGeometry.h"
#include "layout/ScreenGeometry.h"
#include "platform/MainQueue.h"
#include "platform/Screens.h"

#include <algorithm>

namespace tessane {

namespace {
constexpr double kRenderInterval = 1.0 / 60;
constexpr double kReachableTop = 56;  // the top edge stays this far above the usable bottom

double intersectionArea(const Rect& a, const Rect& b) {
    const Rect i = a.intersection(b);
    return i.isEmpty() ? 0 : i.width() * i.height();
}
}  // namespace

void ContainerWindowController::reportContainerChanged() {
    if (!onContainerChanged) return;
    onContainerChanged(ScreenGeometry::axRectFromScreen(containerCocoaRect,
                                                        ScreenGeometry::primaryDisplayHeight(*platform_.screens)));
}

Rect ContainerWindowController::clampForReachableRail(const Rect& r) const {
    const Rect rail = ChromeGeometry::railFrame(r);
    std::optional<ScreenInfo> screen;
    const auto screens = platform_.screens->screens();
    double best = 0;
    // The first screen unless a later one overlaps the rail strictly more.
    for (const auto& s : screens) {
        const double area = intersectionArea(s.frame, rail);
        if (screen && area <= best) continue;
        screen = s;
        best = area;
    }
    if (!screen) screen = platform_.screens->mainScreen();
    if (!screen) return r;
    const Rect v = screen->visibleFrame;

    const double top = std::min(std::max(r.maxY(), v.minY() + kReachableTop), v.maxY());
    Rect out{r.minX(), top - r.height(), r.width(), r.height()};
    const double x0 = r.midX() - ChromeGeometry::kRailWidth / 2;
    if (x0 < v.minX())
        out.origin.x += v.minX() - x0;
    else if (x0 + ChromeGeometry::kRailWidth > v.maxX())
        out.origin.x -= x0 + ChromeGeometry::kRailWidth - v.maxX();
    return out;
}

void ContainerWindowController::continueHeaderDrag(double dx, double dy) {
    if (!dragOriginCocoa) return;
    Rect moved = containerCocoaRect;
    moved.origin = {dragOriginCocoa->x + dx, dragOriginCocoa->y + dy};
    containerCocoaRect = clampForReachableRail(moved);
    const double now = platform_.mainQueue->now();

    if (isFrameDragging) {
        if (now - lastDragRenderTime < kRenderInterval) return;
        lastDragRenderTime = now;
        moveRailPanel();
        if (placementOverlay.isVisible) placementOverlay.setFrame(containerCocoaRect);
        return;
    }

    // The first movement of this drag.
    isFrameDragging = true;
    if (isMaximized || preMaximizeFrame) {
        // Moving ends the maximized state without restoring.
        isMaximized = false;
        preMaximizeFrame.reset();
    }
    if (headerPanel) headerPanel->setHasShadow(false);
    paneMat.orderOut();
    placementOverlay.ensureWindow(*platform_.panels);
    PlacementOverlayView& view = *placementOverlay.overlayView;
    view.layoutType = currentLayoutType;
    view.title = currentTitle;
    view.paneContainer.reset();
    if (hasPanesToDivide())
        view.paneContainer = PlacementOverlayView::PaneContainerPreview{currentRatios, currentAppCount, 0};
    placementOverlay.setFrame(containerCocoaRect);
    view.display();
    placementOverlay.window->orderFront();
    placementOverlay.isVisible = true;
    if (headerPanel) headerPanel->orderFront();
    lastDragRenderTime = now;
    moveRailPanel();
}

void ContainerWindowController::endHeaderDrag() {
    dragOriginCocoa.reset();
    if (!isFrameDragging) return;
    isFrameDragging = false;
    if (placementOverlay.window) placementOverlay.window->orderOut();
    placementOverlay.isVisible = false;
    if (headerPanel) headerPanel->setHasShadow(true);
    applyGeometry(true);
    orderFront();
    reportContainerChanged();
}

void ContainerWindowController::toggleMaximize() {
    if (!headerPanel) return;
    if (isMaximized && preMaximizeFrame) {
        containerCocoaRect = *preMaximizeFrame;
        preMaximizeFrame.reset();
        isMaximized = false;
    } else {
        std::vector<ScreenGeometry::ScreenPair> pairs;
        for (const auto& s : platform_.screens->screens()) pairs.push_back({s.frame, s.visibleFrame});
        auto target = ScreenGeometry::maximizeTargetFrame(containerCocoaRect, pairs);
        if (!target) {
            auto main = platform_.screens->mainScreen();
            if (!main) return;
            target = main->visibleFrame;
        }
        preMaximizeFrame = containerCocoaRect;
        containerCocoaRect = *target;
        isMaximized = true;
    }
    applyGeometry(true);
    reportContainerChanged();
    if (onMaximizeToggled) onMaximizeToggled();
}

}  // namespace tessane
