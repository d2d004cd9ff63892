// A resize made to change the layout: a window edge that faces a gutter moves that divider, one on
// the container's boundary moves that side of the container; every window is then re-placed. A
// window that grew over most of the workspace by itself (a zoom) is declined and snapped back.
#include "controller/WorkspaceController.h"

#include "controller/ContainerFrameRecord.h"
#include "controller/GestureRules.h"
#include "controller/WorkspaceRules.h"
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
    const LayoutType geometry = workspace_rules::geometryType(workspace);
    if (geometry == LayoutType::threeColumns || workspace.layout.type == LayoutType::mainSidebar ||
        workspace.apps.size() < 2)
        return false;

    const Rect container = currentContainerAXRect(workspace);
    const Rect inner = GestureRules::innerRect(container);
    const auto [effective, tiles] = tiling.tileRects(workspace);
    if (tiles.size() != workspace.apps.size()) return false;

    std::vector<std::optional<Rect>> frames;
    std::vector<GestureRules::WindowSizing> sizings;
    std::vector<Uuid> appIDs;
    std::map<Uuid, Size> sizes;
    for (size_t i = 0; i < workspace.apps.size(); ++i) {
        const ManagedApp& app = workspace.apps[i];
        const auto window = tiling.paneWindow(app);
        frames.push_back(window ? window->frame : std::nullopt);
        sizings.push_back(window ? paneWindowSizing(workspace.id, app.id, *window, tiles[i])
                                 : GestureRules::WindowSizing{});
        appIDs.push_back(app.id);
        if (frames.back()) sizes[app.id] = frames.back()->size;
    }
    const std::map<Uuid, Size> previous = std::exchange(drag.lastSeenSizes(workspace.id), sizes);
    const std::set<Uuid> dragged = drag.appsChangedUnderPointer(workspace.id);

    if (const auto zoomed = GestureRules::zoomedPane(tiles, frames, appIDs, previous, dragged)) {
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
            const Size smallest = smallestContainer(displays.screenVisibleFrameAX(container));
            const Rect& next = reflow.container;
            if (next.width() <= kSmallestSide || next.height() <= kSmallestSide || next.width() < smallest.width ||
                next.height() < smallest.height)
                return true;
            adoptContainerFrame(workspace.id, next);
            tiling.placeWindows(workspace, true, false);
            dividers.scheduleReconcile(workspace.id);
            return true;
        }
        case Kind::ratios: {
            Workspace resplit = workspace;
            resplit.layout.ratios = reflow.ratios;
            manager.update(resplit);
            tiling.placeWindows(resplit, true, false);
            dividers.scheduleReconcile(workspace.id);
            return true;
        }
    }
    return false;
}

GestureRules::WindowSizing WorkspaceController::paneWindowSizing(const Uuid& workspaceID, const Uuid& appID,
                                                                 const PlacementPass::PaneWindow& window,
                                                                 const Rect& tile) {
    GestureRules::WindowSizing sizing;
    sizing.lastSeen = drag.lastSeenSize(workspaceID, appID);
    // Most windows sit on their tiles and never need their size steps read.
    if (window.frame && !AXWindowController::sizeTaken(window.frame->size, tile.size, std::nullopt, kAtTileSize))
        sizing.increments = axController.sizeValue(window.element, ax::kResizeIncrements);
    return sizing;
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
    frames.persist(workspaceID);
}

}  // namespace tessane
