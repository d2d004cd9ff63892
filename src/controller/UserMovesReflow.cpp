// A resize made to change the layout: a window edge that faces a gutter moves that divider, one on
// the container's boundary moves that side of the container; every window is then re-placed. A
// window that grew over most of the workspace by itself (a zoom) is declined and snapped back.
#include "controller/UserMoves.h"

#include "controller/ContainerFrameRecord.h"
#include "controller/DisplaySet.h"
#include "controller/DividerKeeper.h"
#include "controller/FrameKeeper.h"
#include "controller/GestureRules.h"
#include "controller/WindowDrag.h"
#include "controller/WorkspaceRules.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "system/AXWindowController.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace tessane {

namespace {
constexpr double kSmallestSide = 120;
constexpr double kAtTileSize = 6;  // a window sized within this of its tile needs no size steps read
}  // namespace

bool UserMoves::reflowFromUserResize(const Workspace& workspace) {
    using Kind = GestureRules::ResizeReflow::Kind;
    const LayoutType geometry = workspace_rules::geometryType(workspace);
    if (geometry == LayoutType::threeColumns || workspace.layout.type == LayoutType::mainSidebar ||
        workspace.apps.size() < 2)
        return false;

    const Rect container = hooks.containerRect(workspace);
    const Rect inner = GestureRules::innerRect(container);
    const auto [effective, tiles] = shown.tiling.tileRects(workspace);
    if (tiles.size() != workspace.apps.size()) return false;

    std::vector<std::optional<Rect>> frames;
    std::vector<GestureRules::WindowSizing> sizings;
    std::vector<Uuid> appIDs;
    std::map<Uuid, Size> sizes;
    for (size_t i = 0; i < workspace.apps.size(); ++i) {
        const ManagedApp& app = workspace.apps[i];
        const auto window = shown.tiling.paneWindow(app);
        frames.push_back(window ? window->frame : std::nullopt);
        sizings.push_back(window ? paneWindowSizing(workspace.id, app.id, *window, tiles[i])
                                 : GestureRules::WindowSizing{});
        appIDs.push_back(app.id);
        if (frames.back()) sizes[app.id] = frames.back()->size;
    }
    const std::map<Uuid, Size> previous = std::exchange(shown.drag.lastSeenSizes(workspace.id), sizes);
    const std::set<Uuid> dragged = shown.drag.appsChangedUnderPointer(workspace.id);

    if (const auto zoomed = GestureRules::zoomedPane(tiles, frames, appIDs, previous, dragged)) {
        Log::line("[Tessane] Reflow declined for “" + workspace.name + "”: " + workspace.apps[*zoomed].displayName +
                  " looks zoomed, not resized — snapping it back instead.");
        return false;
    }

    const auto reflow = GestureRules::reflowFromResize(geometry, workspace.layout.type, inner, tiles, frames, sizings,
                                                       effective, workspace_rules::storedRatios(workspace));
    switch (reflow.kind) {
        case Kind::notResized:
            return false;
        case Kind::unchanged:
            return true;
        case Kind::container: {
            // A container the next show would refuse is no change either: storing it would only
            // leave a frame that the next tiling pass declines without a word.
            const Size smallest = smallestContainer(shown.displays.screenVisibleFrameAX(container));
            const Rect& next = reflow.container;
            if (next.width() <= kSmallestSide || next.height() <= kSmallestSide || next.width() < smallest.width ||
                next.height() < smallest.height)
                return true;
            shown.frames.adopt(workspace.id, next);
            shown.tiling.placeWindows(workspace, true, false);
            shown.dividers.scheduleReconcile(workspace.id);
            return true;
        }
        case Kind::ratios: {
            Workspace resplit = workspace;
            resplit.layout.ratios = reflow.ratios;
            shown.manager.update(resplit);
            shown.tiling.placeWindows(resplit, true, false);
            shown.dividers.scheduleReconcile(workspace.id);
            return true;
        }
    }
    return false;
}

GestureRules::WindowSizing UserMoves::paneWindowSizing(const Uuid& workspaceID, const Uuid& appID,
                                                       const PlacementPass::PaneWindow& window, const Rect& tile) {
    GestureRules::WindowSizing sizing;
    sizing.lastSeen = shown.drag.lastSeenSize(workspaceID, appID);
    // Most windows sit on their tiles and never need their size steps read.
    if (window.frame && !AXWindowController::sizeTaken(window.frame->size, tile.size, std::nullopt, kAtTileSize))
        sizing.increments = shown.ax.sizeValue(window.element, ax::kResizeIncrements);
    return sizing;
}

}  // namespace tessane
