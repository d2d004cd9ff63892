// The user's hand on a tiled window: while a window of a shown workspace moves or resizes, the
// click shields and divider handles step aside and a drop preview shows the pane it would land
// in; once the change is over (mouse-up, or 0.2 s after the last event of a change made without
// the pointer) the layout is enforced: nothing, a pane swap, a reflow, or a snap back.
#include "controller/WorkspaceController.h"

#include "controller/GestureRules.h"
#include "controller/PaneMatChrome.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Screens.h"

#include <algorithm>
#include <cmath>

namespace tessane {

namespace {

constexpr double kEnforceDelay = 0.2;
constexpr double kOffTile = 8;        // a window this close to its tile is where it belongs
constexpr double kMoveTolerance = 12;  // a window moved further than this was dragged
constexpr double kSwapConfirmSeconds = 0.55;

bool movedOffTile(const Rect& frame, const Rect& tile) {
    return std::abs(frame.minX() - tile.minX()) > kOffTile || std::abs(frame.minY() - tile.minY()) > kOffTile;
}

// The pointer in Accessibility coordinates; none without global input.
std::optional<Point> pointerAX(const GlobalInput* input, const Screens& screens) {
    if (!input) return std::nullopt;
    return ScreenGeometry::axPointFromScreen(input->mouseLocation(), ScreenGeometry::primaryDisplayHeight(screens));
}

bool buttonDown(const GlobalInput* input) { return input && input->isMouseButtonDown(); }

}  // namespace

// ----------------------------------------------------------------------------- a change

void WorkspaceController::handleManagedWindowChangedByUser(const Uuid& workspaceID,
                                                           const std::optional<AXElement>& movedWindow) {
    if (tiling.isGuarding() || raiser.isResurfacing() || drag.isDraggingDivider()) return;
    if (solo.owns(workspaceID)) return;
    auto* session = sessions.find(workspaceID);
    if (!session || !session->chrome->isVisible()) return;

    if (buttonDown(env.input) && movedWindow)
        for (const auto& tracked : session->elements)
            if (tracked.element == *movedWindow) {
                drag.noteChangedUnderPointer(workspaceID, tracked.appID);
                break;
            }

    beginWindowDrag(workspaceID);
    // Noted even when another workspace's drag is under way, so its finish puts this one's
    // shields and preview right as well.
    drag.noteTouched(workspaceID);
    updateDropPreview(workspaceID, movedWindow);

    if (enforceSnapWorkItem) enforceSnapWorkItem->cancel();
    enforceSnapWorkItem = queue.postAfter(kEnforceDelay, lifetime.guard([this, workspaceID] {
        if (!buttonDown(env.input)) finishWindowDrag(workspaceID);
    }));
}

void WorkspaceController::beginWindowDrag(const Uuid& workspaceID) {
    const bool begun = drag.begin(workspaceID, lifetime.guard([this](const Uuid& dragged) {
        if (enforceSnapWorkItem) enforceSnapWorkItem->cancel();
        finishWindowDrag(dragged);
    }));
    if (!begun) return;
    if (auto* session = sessions.find(workspaceID)) {
        session->chrome->paneMat().setShieldsHidden(true);
        if (!session->chrome->dividersHidden()) {
            session->chrome->setDividersHidden(true);
            session->chrome->positionDividerPanels();
        }
    }
}

void WorkspaceController::updateDropPreview(const Uuid& workspaceID, const std::optional<AXElement>& movedWindow) {
    if (!movedWindow) return;
    auto* session = sessions.find(workspaceID);
    const auto ws = manager.workspace(workspaceID);
    if (!session || !ws) return;
    ContainerChrome& chrome = *session->chrome;

    const auto tracked = std::find_if(session->elements.begin(), session->elements.end(),
                                      [&](const TrackedWindow& t) { return t.element == *movedWindow; });
    const auto source = tracked == session->elements.end()
                            ? ws->apps.end()
                            : std::find_if(ws->apps.begin(), ws->apps.end(),
                                           [&](const ManagedApp& a) { return a.id == tracked->appID; });
    if (source == ws->apps.end()) {
        chrome.hideDropPreview();
        return;
    }
    const size_t sourceIndex = static_cast<size_t>(source - ws->apps.begin());
    const auto tiles = tiling.tileRects(*ws).second;
    if (tiles.size() != ws->apps.size()) return;

    const auto position = axController.point(*movedWindow, ax::kPosition);
    const auto size = axController.sizeValue(*movedWindow, ax::kSize);
    const Rect& own = tiles[sourceIndex];
    // A resize is no drop: only a window that kept its size (its tile's, or the one it rests at)
    // previews a pane.
    const auto moved = [&] {
        if (!position || !size) return false;
        const PlacementPass::PaneWindow window{*movedWindow, Rect(*position, *size)};
        const auto sizing = paneWindowSizing(workspaceID, tracked->appID, window, own);
        return !GestureRules::windowResized(*window.frame, own, sizing, kOffTile);
    };
    if (const auto pointer = pointerAX(env.input, *env.platform.screens); pointer && moved())
        for (size_t i = 0; i < tiles.size(); ++i) {
            if (i == sourceIndex || !GestureRules::pointerHitArea(tiles[i]).contains(*pointer)) continue;
            const auto icons = appIcons(*ws);
            chrome.showDropPreview(static_cast<int>(i), tiles[i], sourceIndex < icons.size() ? icons[sourceIndex] : Bytes{});
            return;
        }
    chrome.hideDropPreview();
}

void WorkspaceController::finishWindowDrag(const Uuid& workspaceID) {
    std::set<Uuid> touched = drag.finish();
    touched.insert(workspaceID);
    for (const auto& id : touched) {
        dividers.restoreVisibility(id);
        if (auto* session = sessions.find(id)) session->chrome->hideDropPreview();
    }
    performEnforceSnap(workspaceID);
    drag.forgetChangedUnderPointer(workspaceID);
}

// ----------------------------------------------------------------------------- enforcement

void WorkspaceController::performEnforceSnap(const Uuid& workspaceID) {
    const auto ws = manager.workspace(workspaceID);
    if (buttonDown(env.input)) {
        Log::line("[Tessane] Enforce deferred for “" + (ws ? ws->name : std::string("?")) +
                  "” — mouse still down (mid-drag).");
        return;
    }
    if (!env.platform.accessibility->isProcessTrusted() || raiser.isResurfacing()) return;
    if (solo.owns(workspaceID)) return;
    const auto* session = sessions.find(workspaceID);
    if (!session || !session->chrome->isVisible() || !ws) return;

    if (!managedWindowDeviatesFromExpected(*ws)) return;
    if (!fullScreen.fullScreenPids(*ws).empty()) {
        Log::line("[Tessane] Enforce skipped for “" + ws->name + "” — an app is in native fullscreen.");
        return;
    }
    if (swapPanesIfWindowDroppedInAnother(*ws)) return;
    if (reflowFromUserResize(*ws)) return;
    tiling.placeWindows(*ws, true, true);
}

bool WorkspaceController::managedWindowDeviatesFromExpected(const Workspace& workspace) {
    const auto tiles = tiling.tileRects(workspace).second;
    for (size_t i = 0; i < workspace.apps.size() && i < tiles.size(); ++i) {
        const auto window = tiling.paneWindow(workspace.apps[i]);
        if (!window) continue;
        if (!window->frame) {
            tiling.windows().remove(workspace.apps[i].id);  // looked up afresh next time
            continue;
        }
        // Off its tile: moved, or resized (a window resting where its size steps or its own size
        // keep it is where it belongs).
        const Rect& frame = *window->frame;
        if (movedOffTile(frame, tiles[i])) return true;
        const auto sizing = paneWindowSizing(workspace.id, workspace.apps[i].id, *window, tiles[i]);
        if (GestureRules::windowResized(frame, tiles[i], sizing, kOffTile)) return true;
    }
    return false;
}

bool WorkspaceController::swapPanesIfWindowDroppedInAnother(const Workspace& workspace) {
    const size_t n = workspace.apps.size();
    if (n < 2) return false;
    const auto tiles = tiling.tileRects(workspace).second;
    if (tiles.size() != n) return false;

    std::vector<std::optional<Rect>> frames;
    std::vector<GestureRules::WindowSizing> sizings;
    for (size_t i = 0; i < n; ++i) {
        const auto window = tiling.paneWindow(workspace.apps[i]);
        frames.push_back(window ? window->frame : std::nullopt);
        sizings.push_back(window ? paneWindowSizing(workspace.id, workspace.apps[i].id, *window, tiles[i])
                                 : GestureRules::WindowSizing{});
    }
    const auto swap =
        GestureRules::paneSwap(tiles, frames, sizings, pointerAX(env.input, *env.platform.screens), kMoveTolerance, kOffTile);
    if (!swap) return false;
    const auto [source, target] = *swap;

    Workspace swapped = workspace;
    std::swap(swapped.apps[source], swapped.apps[target]);
    // Our own reorder: the edit sweep must neither tile a second time nor withdraw the workspace.
    storeOwnPaneEdit(swapped);
    Log::line("[Tessane] Swapped panes in “" + workspace.name + "”: " + workspace.apps[source].displayName + " ⇄ " +
              workspace.apps[target].displayName + ".");
    tiling.placeWindows(swapped, true, true);

    // Each of the two panes confirms with the application that now sits in it.
    const auto swappedTiles = tiling.tileRects(swapped).second;
    const auto icons = appIcons(swapped);
    std::vector<ChromePanePreview> panes;
    for (const int index : {source, target}) {
        const auto i = static_cast<size_t>(index);
        if (i < swappedTiles.size()) panes.push_back({index, swappedTiles[i], i < icons.size() ? icons[i] : Bytes{}});
    }
    if (auto* session = sessions.find(workspace.id)) session->chrome->confirmSwap(panes, kSwapConfirmSeconds);
    return true;
}

}  // namespace tessane
