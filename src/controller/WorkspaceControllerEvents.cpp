// What the controller does with what it hears of the world (see ControllerObservers): the focus
// observer's callback, and the workspace list and wake handlers. The tracked windows' events
// go to WindowEvents.
#include "controller/WorkspaceController.h"

#include "model/Log.h"
#include "model/WorkspaceManager.h"

namespace tessane {

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
