// Dragging a divider handle: the overlay of pane cards follows the ratios under the pointer and
// the handles move with it; no application window moves until the ratios are committed.
#include "chrome/ContainerWindowController.h"

#include "chrome/ChromeGeometry.h"
#include "chrome/DividerRatios.h"
#include "platform/Animator.h"

namespace tessane {

void ContainerWindowController::ensureDragOverlay() {
    if (dragOverlayWindow) return;
    dragOverlayWindow = platform_.panels->makePanel(
        {.level = PanelLevel::shield, .ignoresMouse = true, .name = "dragOverlay"});
    dragOverlayView = std::make_unique<PaneDragOverlayView>(*dragOverlayWindow);
}

void ContainerWindowController::beginDividerDrag() {
    ensureDragOverlay();
    dragOverlayView->configure(currentLayoutType, currentRatios, currentAppIcons, currentAppCount, 0);
    // A settle of the previous drag may still be fading the overlay out; it must not take this
    // drag's overlay away when it completes.
    dragOverlayFade_.stop(*platform_.animator, *dragOverlayWindow);
    dragOverlayView->setPanelFrame(containerCocoaRect);
    dragOverlayWindow->orderFront();
    // Above the overlay (same level as the shields, fronted last): only the handles that stand
    // on a gutter now, never the spare ones.
    for (size_t i = 0; i < dividersInUse_ && i < dividerPanels.size(); ++i) dividerPanels[i]->orderFront();
    if (onDividerDragBegan) onDividerDragBegan();
}

void ContainerWindowController::continueDividerDrag(Point toCocoa, int ratioIndex, LayoutEngine::SplitAxis axis) {
    auto ratios = DividerRatios::afterDrag(currentLayoutType, ChromeGeometry::innerRect(containerCocoaRect),
                                           currentRatios, ratioIndex, axis, toCocoa);
    if (!ratios) return;
    currentRatios = std::move(*ratios);
    if (dragOverlayView) {
        dragOverlayView->ratios = currentRatios;
        dragOverlayView->layoutPanes();
    }
    positionDividerPanels();
}

void ContainerWindowController::commitDividerDrag() {
    if (onDividerCommitted) onDividerCommitted(currentRatios);
}

void ContainerWindowController::endDividerSettle() {
    if (!dragOverlayWindow || !dragOverlayWindow->isVisible()) return;
    if (dragOverlayView) {
        dragOverlayView->ratios = currentRatios;
        dragOverlayView->layoutPanes();
    }
    dragOverlayFade_.fadeOut(*platform_.animator, *dragOverlayWindow, 0.12);
}

}  // namespace tessane
