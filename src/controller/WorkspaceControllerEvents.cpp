// What the controller does with what it hears of the world (see ControllerObservers): where each
// notification goes, the focus observer's callback and the wake handler. The tracked windows'
// events go to WindowEvents.
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

ControllerObservers::Handlers WorkspaceController::observerHandlers() {
    ControllerObservers::Handlers handlers;
    handlers.workspacesWillChange = [this] {
        // Marked now, for the first lookup after the change (observers run before it, and none
        // of them looks windows up), which may come before the reaction.
        tiling.notePanesChanged();
    };
    handlers.workspacesChanged = [this] { edits.reactToListChange(); };
    handlers.appActivated = [this](const RunningApplication& app) {
        if (!sessions.empty()) stage.maybeRefresh();
        handleAppActivated(app);
    };
    handlers.appTerminated = [this](const RunningApplication& app) { handleAppTerminated(app); };
    handlers.appLaunched = [this](const RunningApplication& app) { handleAppLaunched(app); };
    handlers.spaceChanged = [this] { fullScreen.spaceChanged(); };
    handlers.screenParametersChanged = [this] { displays.noteScreenParametersChange(); };
    handlers.woke = [this] { handleWake(); };
    handlers.windowEvent = [this](const AXElement& element, const std::string& notification) {
        windowEvents.handle(element, notification);
    };
    handlers.focusedWindowChanged = [this] { handleFocusedWindowChanged(); };
    return handlers;
}

void WorkspaceController::handleWake() {
    if (sessions.empty()) return;
    Log::line("[Tessane] Woke — re-checking whether any chrome is drawn over a foreign window.");
    stage.refresh(false);
    guard.pulse();
}

}  // namespace tessane
