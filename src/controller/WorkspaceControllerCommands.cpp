// The commands users call on one workspace by name: restore its saved layout, save the current
// one, move it to a display, reset it to fill the display in use, release its windows, and quit
// its applications. Each reports through log lines, alerts and the stored workspace.
#include "controller/WorkspaceController.h"

#include "controller/ContainerFrameRecord.h"
#include "controller/PaneMatChrome.h"
#include "controller/WorkspaceRules.h"
#include "layout/DisplayResolver.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/Screens.h"
#include "system/AccessibilityPermission.h"
#include "system/ExternalAppController.h"

#include <algorithm>
#include <sstream>

namespace tessane {

namespace {

std::string ratiosText(const std::optional<std::vector<double>>& ratios) {
    std::ostringstream out;
    out << "[";
    if (ratios)
        for (size_t i = 0; i < ratios->size(); ++i) out << (i ? ", " : "") << (*ratios)[i];
    out << "]";
    return out.str();
}

// How the log names a display; the desktop gives displays no names of their own.
std::string displayName(const ScreenInfo& screen, int index) {
    return "Display " + std::to_string(screen.displayNumber ? *screen.displayNumber : static_cast<uint32_t>(index + 1));
}

}  // namespace

// ------------------------------------------------------------------------ shared steps

void WorkspaceController::placeAndBringForward(const Uuid& workspaceID) {
    if (!env.platform.accessibility->isProcessTrusted()) return;
    if (const auto ws = manager.workspace(workspaceID)) {
        tiling.placeWindows(*ws, false, true);
        raiser.bringForwardApps(*ws);
    }
}

// ------------------------------------------------------------------------ restore and save

void WorkspaceController::restoreLayout(const Uuid& id) {
    const auto found = manager.workspace(id);
    if (!found) return;
    Log::line("[Tessane] Restore layout requested: " + found->name);
    if (stage.blocks(id, "[Tessane] Restore blocked — Stage Manager is enabled.",
                              [this, id] { restoreLayout(id); }))
        return;

    const Workspace restored = workspace_rules::restoredToCheckpoint(*found, displays.currentTopology());
    if (restored == *found) {
        Log::line("[Tessane] Restore: no saved checkpoint — using last-used frame/ratios.");
    } else {
        manager.update(restored);
        Log::line("[Tessane] Restore: applied saved checkpoint (frame + ratios).");
    }

    const AccessibilityPermission permission(*env.platform.accessibility, env.identity);
    permission.logDiagnostics("Restore Layout ‘" + found->name + "’");
    if (!permission.ensureTrusted()) {
        Log::line("[Tessane] Restore: window control not available — container not shown, tiling skipped.");
        return;
    }
    // A workspace that is not shown keeps its applications hidden: putting its container up over
    // them would frame nothing. The restored layout is stored for its next show.
    if (!sessions.contains(id)) return;
    show.showContainerFrame(restored);
    if (const auto shown = manager.workspace(id)) show.tileAndReport(*shown);
}

void WorkspaceController::saveLayout(const Uuid& id) {
    auto ws = manager.workspace(id);
    if (!ws) return;
    AccessibilityPermission(*env.platform.accessibility, env.identity)
        .logDiagnostics("Save Current Layout ‘" + ws->name + "’");
    ws->savedLayout = LayoutCheckpoint{RectModel::from(currentContainerAXRect(*ws)), ws->layout.ratios};
    manager.update(*ws);
    Log::line("[Tessane] Save Current Layout: " + ws->name + " — checkpoint saved (frame + ratios=" +
              ratiosText(ws->layout.ratios) + ").");
}

// ------------------------------------------------------------------------ move and reset

void WorkspaceController::moveWorkspaceToDisplay(const Uuid& id, int screenIndex) {
    const auto ws = manager.workspace(id);
    if (!ws) return;
    if (stage.blocks(id, "[Tessane] Move to display blocked — Stage Manager is enabled.",
                              [this, id, screenIndex] { moveWorkspaceToDisplay(id, screenIndex); }))
        return;
    const auto screens = env.platform.screens->screens();
    if (screenIndex < 0 || screenIndex >= static_cast<int>(screens.size())) return;

    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(*env.platform.screens);
    const Rect current = currentContainerAXRect(*ws);
    const Rect target = ScreenGeometry::axRectFromScreen(screens[screenIndex].visibleFrame, primaryHeight);
    const Rect restoreSize = DisplayResolver::clamped(current, target, kMinimumContainer);
    Log::line("[Tessane] Move workspace " + ws->name + " to screen " + std::to_string(screenIndex) + " (" +
              displayName(screens[screenIndex], screenIndex) + "): " + workspace_rules::rectLog(current) + " → " +
              workspace_rules::rectLog(target) + " (filled; Restore Size → " + workspace_rules::rectLog(restoreSize) +
              ")");

    WorkspaceSession& session = workspaceSessions.putSessionAt(*ws, target);
    session.chrome->setPreMaximizeFrame(ScreenGeometry::screenRectFromAX(restoreSize, primaryHeight));
    session.chrome->setIsMaximized(true);
    session.chrome->orderFront();

    placeAndBringForward(id);
}

void WorkspaceController::resetWorkspace(const Uuid& id) {
    auto ws = manager.workspace(id);
    if (!ws) return;
    if (stage.blocks(id, "[Tessane] Reset blocked — Stage Manager is enabled.",
                              [this, id] { resetWorkspace(id); }))
        return;
    const auto display =
        env.platform.accessibility->isProcessTrusted() ? displays.currentDisplayVisibleAX() : std::nullopt;
    if (!display) {
        Log::line("[Tessane] Reset: skipped (no window control or no current display).");
        return;
    }

    const Rect& visible = display->first;
    Size floor = kMinimumContainer;
    if (const auto holder = displays.screenVisibleFrameAX(visible))
        floor = {std::min(floor.width, holder->width()), std::min(floor.height, holder->height())};
    const Rect frame{visible.origin,
                     Size{std::max(visible.width(), floor.width), std::max(visible.height(), floor.height)}};
    Log::line("[Tessane] Reset workspace: " + ws->name + " → " + workspace_rules::rectLog(frame));

    dividers.forget(id, true);

    ws->layout.ratios.reset();
    const Workspace reset = rememberingContainerFrame(*ws, frame, displays.currentTopology());
    manager.update(reset);
    show.showContainerFrame(reset);

    const auto shown = manager.workspace(id).value_or(reset);
    if (auto* session = sessions.find(id); session && choosers.workspaceHasChooserUp(shown)) {
        session->chrome->paneMat().setShieldsHidden(true);
        if (!session->chrome->dividersHidden()) session->chrome->positionDividerPanels();
    }
    tiling.placeWindows(shown, true, false);
    raiser.activateFrontApp(shown);
    sweep.restart();
}

// ------------------------------------------------------------------------ release and quit

void WorkspaceController::releaseWorkspace(const Uuid& id) {
    const auto ws = manager.workspace(id);
    if (!ws || !sessions.contains(id)) return;
    if (solo.owns(id)) restoreFromSolo();
    Log::line("[Tessane] Release workspace: " + ws->name + " — tiling stops, windows stay where they are.");
    const bool wasActive = manager.activeWorkspaceID().get() == id;
    workspaceSessions.tearDownSession(id, true);
    if (wasActive) shownWorkspaces.promoteFront();
}

void WorkspaceController::closeWorkspaceApps(const Uuid& id) {
    const auto ws = manager.workspace(id);
    if (!ws) return;
    std::vector<RunningApplication> running;
    for (const auto& app : ws->apps)
        if (auto instance = appController->runningApplication(app.bundleIdentifier)) running.push_back(*instance);

    const auto takeDown = [this, id] {
        const bool wasActive = manager.activeWorkspaceID().get() == id;
        workspaceSessions.tearDownSession(id, true);
        if (wasActive) shownWorkspaces.promoteFront();
    };
    if (running.empty()) {
        takeDown();
        return;
    }
    if (!quitGuards.confirmQuitApps(ws->name, static_cast<int>(running.size()))) {
        Log::line("[Tessane] Quit workspace apps: " + ws->name + " — cancelled");
        return;
    }
    Log::line("[Tessane] Quit workspace apps: " + ws->name + " (" + std::to_string(running.size()) + ")");
    documents.rememberAll(id);
    for (const auto& app : running) env.platform.applications->terminate(app.pid);
    takeDown();
}

}  // namespace tessane
