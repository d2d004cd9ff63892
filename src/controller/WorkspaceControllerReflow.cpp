// A resize made to change the layout: a window edge that faces a gutter moves that divider, one on
// the container's boundary moves that side of the container; every window is then re-placed. A
// window that grew over most of the workspace by itself (a zoom) is declined and snapped back.
#include "controller/WorkspaceController.h"

#include "controller/ContainerFrameRecord.h"
#include "controller/GestureRules.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Screens.h"

#include <algorithm>

namespace tessane {

namespace {
constexpr double kSmallestSide = 120;
constexpr double kAtTileSize = 6;  // a window sized within this of its tile needs no size steps read
}  // namespace

bool WorkspaceController::reflowFromUserResize(const Workspace& workspace) {
    using Kind = GestureRules::ResizeReflow::Kind;
    const LayoutType geometry = geometryType(workspace);
    if (geometry == LayoutType::threeColumns || workspace.layout.type == LayoutType::mainSidebar ||
        workspace.apps.size() < 2)
        return false;

    const Rect container = currentContainerAXRect(workspace);
    const Rect inner = GestureRules::innerRect(container);
    const auto [effective, tiles] = tileRects(workspace);
    if (tiles.size() != workspace.apps.size()) return false;

    std::vector<std::optional<Rect>> frames;
    std::vector<std::optional<AXElement>> windows;
    std::vector<Uuid> appIDs;
    std::map<Uuid, Size> sizes;
    for (const auto& app : workspace.apps) {
        const auto window = paneWindow(app);
        frames.push_back(window ? window->frame : std::nullopt);
        windows.push_back(window ? std::optional(window->element) : std::nullopt);
        appIDs.push_back(app.id);
        if (frames.back()) sizes[app.id] = frames.back()->size;
    }
    const std::map<Uuid, Size> previous = std::exchange(drag.lastObservedWindowSizes[workspace.id], sizes);
    // What each window was last seen at, and, for one whose size is off its tile, the steps its
    // size changes in (most windows never need them read).
    std::vector<GestureRules::WindowSizing> sizings(frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        if (const auto it = previous.find(appIDs[i]); it != previous.end()) sizings[i].lastSeen = it->second;
        if (frames[i] && windows[i] && !AXWindowController::sizeTaken(frames[i]->size, tiles[i].size, std::nullopt, kAtTileSize))
            sizings[i].increments = axController.sizeValue(*windows[i], ax::kResizeIncrements);
    }
    const auto draggedIt = drag.changedUnderPointer.find(workspace.id);
    const std::set<Uuid> dragged = draggedIt == drag.changedUnderPointer.end() ? std::set<Uuid>{} : draggedIt->second;

    if (const auto zoomed = zoomedPane(tiles, frames, appIDs, previous, dragged)) {
        Log::line("[Tessane] Reflow declined for “" + workspace.name + "”: " + workspace.apps[*zoomed].displayName +
                  " looks zoomed, not resized — snapping it back instead.");
        return false;
    }

    const auto reflow = GestureRules::reflowFromResize(geometry, workspace.layout.type, inner, tiles, frames, sizings,
                                                       effective, storedRatios(workspace));
    switch (reflow.kind) {
        case Kind::notResized:
            return false;
        case Kind::unchanged:
            return true;
        case Kind::container: {
            // A container the next show would refuse is no change either: storing it would only
            // leave a frame that the next tiling pass declines without a word.
            const Size smallest = smallestContainer(screenVisibleFrameAX(container));
            const Rect& next = reflow.container;
            if (next.width() <= kSmallestSide || next.height() <= kSmallestSide || next.width() < smallest.width ||
                next.height() < smallest.height)
                return true;
            adoptContainerFrame(workspace.id, next);
            placeWindows(workspace, true, true, false);
            scheduleDividerReconcile(workspace.id);
            return true;
        }
        case Kind::ratios: {
            Workspace resplit = workspace;
            resplit.layout.ratios = reflow.ratios;
            manager.update(resplit);
            placeWindows(resplit, true, true, false);
            scheduleDividerReconcile(workspace.id);
            return true;
        }
    }
    return false;
}

void WorkspaceController::adoptContainerFrame(const Uuid& workspaceID, const Rect& frame) {
    auto* session = sessions.find(workspaceID);
    if (!session) return;
    session->containerAXRect = frame;
    if (session->chrome->hasHeaderPanel()) {
        session->chrome->setContainerCocoaRect(
            ScreenGeometry::screenRectFromAX(frame, ScreenGeometry::primaryDisplayHeight(*env.platform.screens)));
        session->chrome->applyGeometry(true);
    }
    persistContainerFrame(workspaceID);
}

}  // namespace tessane
