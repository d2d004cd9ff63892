// What the controller does with what it hears of the world (see ControllerObservers): the
// Accessibility window events of tracked windows, the focus observer's callback, and the
// workspace list, display and wake handlers.
#include "controller/WorkspaceController.h"

#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/Screens.h"

namespace tessane {

void WorkspaceController::handleWindowEvent(const AXElement& element, const std::string& notification) {
    // A closed window frees its pane whatever else is going on.
    if (notification == ax::kUIElementDestroyed) {
        handleManagedWindowDestroyed(element);
        return;
    }
    // Moves made by a divider drag, by the displays settling or by Stage Manager are not the
    // user's and are dropped, not deferred.
    if (drag.isDraggingDivider()) return;
    if (displays.inFlux()) return;
    stage.maybeRefresh();
    if (stage.isActive()) return;

    const auto pid = env.platform.accessibility->pid(element);
    if (!pid) return;
    const auto app = env.platform.applications->runningApplication(*pid);
    if (!app || !app->bundleIdentifier) return;
    const auto owner = shownWorkspaces.owning(*app->bundleIdentifier);
    if (!owner) return;

    if (tiling.isGuarding()) drift.scheduleDriftCheck(element, owner->id);
    gestures.handleManagedWindowChangedByUser(owner->id, element);
}

void WorkspaceController::handleFocusedWindowChanged() {
    if (sweep.hasEmptyPane()) sweep.restart();
    guard.pulse();
}

std::optional<ManagedApp> WorkspaceController::soloedApp(const SoloState& state) const {
    const auto ws = manager.workspace(state.workspaceID);
    if (!ws) return std::nullopt;
    for (const auto& app : ws->apps)
        if (app.id == state.appID) return app;
    return std::nullopt;
}

void WorkspaceController::handleWorkspaceListChange() { edits.reactToListChange(); }

void WorkspaceController::handleWake() {
    if (sessions.empty()) return;
    Log::line("[Tessane] Woke — re-checking whether any chrome is drawn over a foreign window.");
    stage.refresh(false);
    guard.pulse();
}

}  // namespace tessane
