// The chrome's gestures, actions menu and drop previews. Until they are built each one logs that
// it is not there yet and does nothing, so a caller's wiring can be exercised already.
#include "chrome/ContainerWindowController.h"

#include "model/Log.h"
#include "platform/MainQueue.h"

namespace tessane {

namespace {
void notYet(const char* operation) {
    Log::line(std::string("[Tessane] not yet: ContainerWindowController.") + operation);
}
}  // namespace

void ContainerWindowController::toggleMaximize() { notYet("toggleMaximize"); }
void ContainerWindowController::continueHeaderDrag(double, double) { notYet("continueHeaderDrag"); }
void ContainerWindowController::endHeaderDrag() {
    dragOriginCocoa.reset();
    notYet("endHeaderDrag");
}
void ContainerWindowController::beginDividerDrag() { notYet("beginDividerDrag"); }
void ContainerWindowController::continueDividerDrag(Point, int, LayoutEngine::SplitAxis) {
    notYet("continueDividerDrag");
}
void ContainerWindowController::ensureDragOverlay() { notYet("ensureDragOverlay"); }
void ContainerWindowController::endDividerSettle() { notYet("endDividerSettle"); }
void ContainerWindowController::popUpWorkspaceActionsMenu(Point) { notYet("workspaceActionsMenu"); }
void ContainerWindowController::showDropPreview(int, const Rect&, const PanelImage&) {
    notYet("showDropPreview");
}
void ContainerWindowController::hideDropPreview() {
    if (swapConfirmWorkItem) {
        swapConfirmWorkItem->cancel();
        swapConfirmWorkItem.reset();
    }
    panePreviewKey.clear();
    for (auto& window : panePreviewWindows) {
        if (!window->isVisible()) continue;
        window->orderOut();
        window->setAlpha(1);
    }
}

}  // namespace tessane
