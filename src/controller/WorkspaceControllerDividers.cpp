// A divider released by the user: the ratios are stored and the windows re-tiled, and shortly
// after, windows that refuse their narrower panes move the divider to where they really end
// (the reconcile), windows pushed off screen come back, and the chrome fades its drag overlay.
// The same reconcile follows a reflow, minimum-size learning and the three-column code.
#include "controller/WorkspaceController.h"

#include "controller/GestureRules.h"
#include "controller/WorkspaceRules.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"

namespace tessane {

namespace {
constexpr double kSettleCheckDelay = 0.05;
constexpr double kSettleDelay = 0.4;
}  // namespace

void WorkspaceController::commitDividerRatio(const std::vector<double>& ratios, const Uuid& workspaceID) {
    drag.setDraggingDivider(false);
    columns.beginOperation(workspaceID);
    auto ws = manager.workspace(workspaceID);
    if (!ws || ratios.empty()) {
        if (auto* session = sessions.find(workspaceID)) session->chrome->endDividerSettle();
        return;
    }
    ws->layout.ratios = ratios;
    manager.update(*ws);
    stage.refresh(false);
    tiling.placeWindows(*ws, true, false);

    if (dividerSettleWorkItem) dividerSettleWorkItem->cancel();
    // Each settle step acts only while no new drag began and the workspace is still shown: after
    // a hide or a release its windows stay where they are.
    const auto settling = [this, workspaceID] { return !drag.isDraggingDivider() && sessions.contains(workspaceID); };
    dividerSettleWorkItem = queue.postAfter(kSettleCheckDelay, lifetime.guard([this, workspaceID, settling] {
        if (!settling()) return;
        if (!dividerNeedsReconcile(workspaceID)) {
            sessions.find(workspaceID)->chrome->endDividerSettle();
            return;
        }
        dividerSettleWorkItem = queue.postAfter(kSettleDelay, lifetime.guard([this, workspaceID, settling] {
            if (!settling()) return;
            snapDividerToApps(workspaceID);
            if (auto* session = sessions.find(workspaceID)) session->chrome->endDividerSettle();
        }));
    }));
}

bool WorkspaceController::dividerNeedsReconcile(const Uuid& workspaceID) {
    const auto ws = manager.workspace(workspaceID);
    if (!ws) return false;
    if (workspace_rules::geometryType(*ws) == LayoutType::threeColumns) return threeColumnsOverflow(*ws);
    return !dividerReconcileFixes(*ws).empty();
}

void WorkspaceController::snapDividerToApps(const Uuid& workspaceID) {
    if (drag.isDraggingDivider()) return;
    auto ws = manager.workspace(workspaceID);
    // A workspace hidden or released meanwhile keeps its windows where they are.
    if (!ws || !sessions.contains(workspaceID)) return;
    keepAppsOnScreen(workspaceID);
    if (solveThreeColumns(*ws)) return;
    const auto fixes = dividerReconcileFixes(*ws);
    if (fixes.empty()) return;
    ws->layout.ratios = GestureRules::ratiosWithFixes(ws->layout.type, ws->layout.ratios, fixes);
    manager.update(*ws);
    tiling.placeWindows(*ws, true, false);
}

std::map<int, double> WorkspaceController::dividerReconcileFixes(const Workspace& workspace) {
    const LayoutType geometry = workspace_rules::geometryType(workspace);
    if (workspace.apps.size() < 2 || workspace.layout.type == LayoutType::mainSidebar ||
        geometry == LayoutType::threeColumns)
        return {};
    const Rect inner = GestureRules::innerRect(currentContainerAXRect(workspace));
    const auto [effective, tiles] = tiling.tileRects(workspace);
    if (tiles.size() != workspace.apps.size()) return {};
    std::vector<Size> sizes;
    for (const auto& app : workspace.apps) {
        const auto window = tiling.placedPaneWindow(workspace.id, app);
        sizes.push_back(window && window->frame ? window->frame->size : Size{});
    }
    return GestureRules::dividerFixes(workspace.layout.type, geometry, inner, effective, sizes);
}

void WorkspaceController::keepAppsOnScreen(const Uuid& workspaceID) {
    if (stage.isActive()) return;
    const auto screens = displays.availableScreensVisibleAX();
    const auto ws = manager.workspace(workspaceID);
    if (screens.empty() || !ws) return;
    const Rect target = displays.screenVisibleFrameAX(currentContainerAXRect(*ws)).value_or(screens.front());

    bool guarded = false;
    for (const auto& app : ws->apps) {
        const auto window = tiling.paneWindow(app);
        if (!window || !window->frame) continue;
        const auto origin = GestureRules::onScreenOrigin(*window->frame, screens, target);
        if (!origin) continue;
        if (!guarded) {
            tiling.beginGuard();
            guarded = true;
        }
        axController.accessibility().setAttribute(window->element, ax::kPosition, AXValue::point(*origin));
    }
}

}  // namespace tessane
