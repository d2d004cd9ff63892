#include "controller/DividerKeeper.h"

#include "controller/DisplaySet.h"
#include "controller/GestureRules.h"
#include "controller/PaneMatChrome.h"
#include "controller/PlacementPass.h"
#include "controller/SoloMemory.h"
#include "controller/StageManagerGate.h"
#include "controller/ThreeColumnsFold.h"
#include "controller/WindowDrag.h"
#include "controller/WorkspaceRules.h"
#include "layout/ScreenGeometry.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Screens.h"
#include "system/AXWindowController.h"

#include <algorithm>

namespace tessane {

namespace {

constexpr double kSettleCheckDelay = 0.05;
constexpr double kSettleDelay = 0.4;
constexpr double kReconcileDelay = 0.4;
constexpr double kLearnDelay = 0.35;
constexpr double kOnScreenCheckDelay = 0.4;
constexpr double kFullScreenSampleSlack = 4;

// The visible frame of the screen under the window's centre; none when no screen holds it (a
// window off every screen keeps whatever size it has as its sample).
std::optional<Rect> visibleFrameUnder(const Rect& window, const Screens& screens) {
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(screens);
    const Point centre{window.midX(), window.midY()};
    for (const auto& screen : screens.screens())
        if (ScreenGeometry::axRectFromScreen(screen.frame, primaryHeight).contains(centre))
            return ScreenGeometry::axRectFromScreen(screen.visibleFrame, primaryHeight);
    return std::nullopt;
}

}  // namespace

DividerKeeper::DividerKeeper(MainQueue& queue, Shown shown, Hooks hooks)
    : queue(queue), shown(shown), hooks(std::move(hooks)), learns(queue) {}

DividerKeeper::~DividerKeeper() { stop(); }

void DividerKeeper::stop() {
    learns.cancelAll();
    cancelSettle();
}

void DividerKeeper::cancelSettle() {
    if (settle) settle->cancel();
    settle.reset();
}

void DividerKeeper::forget(const Uuid& workspaceID, bool lastShown) {
    learns.cancel(workspaceID);
    if (lastShown) cancelSettle();
}

// ----------------------------------------------------------------------------- a released divider

void DividerKeeper::commit(const std::vector<double>& ratios, const Uuid& workspaceID) {
    shown.drag.setDraggingDivider(false);
    shown.columns.beginOperation(workspaceID);
    auto ws = shown.manager.workspace(workspaceID);
    if (!ws || ratios.empty()) {
        if (auto* session = shown.sessions.find(workspaceID)) session->chrome->endDividerSettle();
        return;
    }
    ws->layout.ratios = ratios;
    shown.manager.update(*ws);
    shown.stage.refresh(false);
    shown.tiling.placeWindows(*ws, true, false);

    if (settle) settle->cancel();
    // Each settle step acts only while no new drag began and the workspace is still shown: after
    // a hide or a release its windows stay where they are.
    const auto settling = [this, workspaceID] {
        return !shown.drag.isDraggingDivider() && shown.sessions.contains(workspaceID);
    };
    settle = queue.postAfter(kSettleCheckDelay, lifetime.guard([this, workspaceID, settling] {
        if (!settling()) return;
        if (!needsReconcile(workspaceID)) {
            shown.sessions.find(workspaceID)->chrome->endDividerSettle();
            return;
        }
        settle = queue.postAfter(kSettleDelay, lifetime.guard([this, workspaceID, settling] {
            if (!settling()) return;
            snapToApps(workspaceID);
            if (auto* session = shown.sessions.find(workspaceID)) session->chrome->endDividerSettle();
        }));
    }));
}

void DividerKeeper::restoreVisibility(const Uuid& workspaceID) {
    auto* session = shown.sessions.find(workspaceID);
    const auto ws = shown.manager.workspace(workspaceID);
    if (!session || !ws) return;
    const bool hidden = shown.solo.owns(workspaceID) || hooks.hasChooserUp(*ws);
    session->chrome->paneMat().setShieldsHidden(hidden);
    if (session->chrome->dividersHidden() != hidden) {
        session->chrome->setDividersHidden(hidden);
        session->chrome->positionDividerPanels();
    }
}

// ----------------------------------------------------------------------------- the reconcile

void DividerKeeper::scheduleReconcile(const Uuid& workspaceID) {
    queue.postAfter(kReconcileDelay, lifetime.guard([this, workspaceID] { snapToApps(workspaceID); }));
}

bool DividerKeeper::needsReconcile(const Uuid& workspaceID) {
    const auto ws = shown.manager.workspace(workspaceID);
    if (!ws) return false;
    if (workspace_rules::geometryType(*ws) == LayoutType::threeColumns) return shown.columns.threeColumnsOverflow(*ws);
    return !reconcileFixes(*ws).empty();
}

void DividerKeeper::snapToApps(const Uuid& workspaceID) {
    if (shown.drag.isDraggingDivider()) return;
    auto ws = shown.manager.workspace(workspaceID);
    // A workspace hidden or released meanwhile keeps its windows where they are.
    if (!ws || !shown.sessions.contains(workspaceID)) return;
    keepAppsOnScreen(workspaceID);
    if (shown.columns.solveThreeColumns(*ws)) return;
    const auto fixes = reconcileFixes(*ws);
    if (fixes.empty()) return;
    ws->layout.ratios = GestureRules::ratiosWithFixes(ws->layout.type, ws->layout.ratios, fixes);
    shown.manager.update(*ws);
    shown.tiling.placeWindows(*ws, true, false);
}

std::map<int, double> DividerKeeper::reconcileFixes(const Workspace& workspace) {
    const LayoutType geometry = workspace_rules::geometryType(workspace);
    if (workspace.apps.size() < 2 || workspace.layout.type == LayoutType::mainSidebar ||
        geometry == LayoutType::threeColumns)
        return {};
    const Rect inner = GestureRules::innerRect(hooks.containerRect(workspace));
    const auto [effective, tiles] = shown.tiling.tileRects(workspace);
    if (tiles.size() != workspace.apps.size()) return {};
    std::vector<Size> sizes;
    for (const auto& app : workspace.apps) {
        const auto window = shown.tiling.placedPaneWindow(workspace.id, app);
        sizes.push_back(window && window->frame ? window->frame->size : Size{});
    }
    return GestureRules::dividerFixes(workspace.layout.type, geometry, inner, effective, sizes);
}

void DividerKeeper::keepAppsOnScreen(const Uuid& workspaceID) {
    if (shown.stage.isActive()) return;
    const auto screens = shown.displays.availableScreensVisibleAX();
    const auto ws = shown.manager.workspace(workspaceID);
    if (screens.empty() || !ws) return;
    const Rect target = shown.displays.screenVisibleFrameAX(hooks.containerRect(*ws)).value_or(screens.front());

    bool guarded = false;
    for (const auto& app : ws->apps) {
        const auto window = shown.tiling.paneWindow(app);
        if (!window || !window->frame) continue;
        const auto origin = GestureRules::onScreenOrigin(*window->frame, screens, target);
        if (!origin) continue;
        if (!guarded) {
            shown.tiling.beginGuard();
            guarded = true;
        }
        shown.ax.accessibility().setAttribute(window->element, ax::kPosition, AXValue::point(*origin));
    }
}

// ----------------------------------------------------------------------------- learning minimums

void DividerKeeper::scheduleLearn(const Uuid& workspaceID) {
    // One pending step per workspace: a pass that re-tiles several workspaces learns for each.
    learns.schedule(workspaceID, kLearnDelay, lifetime.guard([this, workspaceID] { learn(workspaceID); }));
}

void DividerKeeper::learn(const Uuid& workspaceID) {
    if (!shown.ax.accessibility().isProcessTrusted()) return;
    const auto* session = shown.sessions.find(workspaceID);
    const auto ws = shown.manager.workspace(workspaceID);
    if (!session || !session->chrome->isVisible() || !ws) return;
    // While the displays settle, a window's size may be the work of the change (a display gone
    // from under it, or one at another scale): nothing to learn from. The settled change moves
    // the workspace, or leaves it, and its next pass learns.
    if (shown.displays.inFlux()) return;

    // A window sent to another display still has its old size until its second placement
    // phase sizes it in place: that size says nothing about its minimum, so wait for it.
    for (const auto& tracked : session->elements)
        if (shown.tiling.hasSecondPhase(tracked.element)) {
            scheduleLearn(workspaceID);
            return;
        }

    const auto tiles = shown.tiling.tileRects(*ws).second;
    std::vector<Size> samples;
    for (const auto& tile : tiles) samples.push_back(tile.size);
    const int appCount = std::max<int>(1, static_cast<int>(ws->apps.size()));
    for (size_t i = 0; i < ws->apps.size() && i < tiles.size(); ++i) {
        // A window that turned up since the pass (late, or naming its document only now) keeps
        // the size it opened with, which says nothing of a minimum: its tile stands for it.
        const auto window = shown.tiling.placedPaneWindow(workspaceID, ws->apps[i]);
        if (!window) continue;
        if (!window->frame) {
            shown.tiling.windows().remove(ws->apps[i].id);
            continue;
        }
        const Rect& frame = *window->frame;
        const auto visible = visibleFrameUnder(frame, shown.screens);
        if (!visible || (GestureRules::isObservableMinSample(frame, *visible, kFullScreenSampleSlack) &&
                         GestureRules::withinMinimumCap(ws->layout.type, frame.size, visible->size, appCount)))
            samples[i] = frame.size;
    }

    const bool twoAppSplit = ws->apps.size() == 2 && (ws->layout.type == LayoutType::leftRightSplit ||
                                                      ws->layout.type == LayoutType::topBottomSplit);
    if (!twoAppSplit) {
        scheduleReconcile(workspaceID);
        return;
    }
    bounceFrameToFit(*ws, samples);
    queue.postAfter(kOnScreenCheckDelay, lifetime.guard([this, workspaceID] {
        const auto* still = shown.sessions.find(workspaceID);
        if (still && still->chrome->isVisible() && shown.manager.workspace(workspaceID)) keepAppsOnScreen(workspaceID);
    }));
}

void DividerKeeper::bounceFrameToFit(const Workspace& workspace, const std::vector<Size>& appSizes) {
    const auto* session = shown.sessions.find(workspace.id);
    if (!session || !session->containerAXRect || appSizes.empty()) return;
    const Rect container = *session->containerAXRect;
    const auto plan = GestureRules::planBounce(workspace.layout.type, static_cast<int>(workspace.apps.size()),
                                               appSizes, container, shown.displays.screenVisibleFrameAX(container),
                                               workspace.layout.ratios);
    Workspace next = workspace;
    if (plan.ratio) {
        next.layout.ratios = std::vector<double>{*plan.ratio};
        shown.manager.update(next);
    }
    if (plan.frame) hooks.adoptContainerFrame(workspace.id, *plan.frame);
    if (plan.ratio || plan.frame) shown.tiling.placeWindows(next, true, false);
}

}  // namespace tessane
