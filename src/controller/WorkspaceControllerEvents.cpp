// How the controller hears about the world: its registrations, the Accessibility window events
// of tracked windows, the focus observer's callback, and the display, wake and desktop handlers.
#include "controller/WorkspaceController.h"

#include "controller/WorkspaceRules.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/Screens.h"

namespace tessane {

void WorkspaceController::observeWorkspaceEdits() {
    // The manager tells its observers before the list changes; the reaction reads the manager,
    // so it runs on the next turn of the main queue, when the new list is in place.
    workspaceEditObserver = manager.observeWorkspaces(lifetime.guard([this](const std::vector<Workspace>&) {
        // Marked now, for the first lookup after the change (observers run before it, and
        // none of them looks windows up), which may come before the reaction.
        paneCachePruneDue = true;
        queue.post(lifetime.guard([this] { handleWorkspaceListChange(); }));
    }));
}

void WorkspaceController::observeWorkspaceNotification(RunningApplications::Notification notification,
                                                       std::function<void(const RunningApplication&)> handler,
                                                       Subscription& token) {
    token = env.platform.applications->observe(notification, lifetime.guard(std::move(handler)));
}

void WorkspaceController::observeAppActivation() {
    observeWorkspaceNotification(
        RunningApplications::Notification::didActivate,
        [this](const RunningApplication& app) {
            if (!sessions.empty()) maybeRefreshStageManagerState();
            handleAppActivated(app);
        },
        activationObserver);
}

void WorkspaceController::observeAppTermination() {
    observeWorkspaceNotification(RunningApplications::Notification::didTerminate,
                                 [this](const RunningApplication& app) { handleAppTerminated(app); },
                                 terminationObserver);
}

void WorkspaceController::observeAppLaunch() {
    observeWorkspaceNotification(RunningApplications::Notification::didLaunch,
                                 [this](const RunningApplication& app) { handleAppLaunched(app); }, launchObserver);
}

void WorkspaceController::observeSpaceChange() {
    spaceObserver = env.platform.screens->observe(Screens::Notification::activeSpaceDidChange,
                                                  lifetime.guard([this] { handleSpaceChange(); }));
}

void WorkspaceController::observeScreenParameters() {
    screenParametersObserver =
        env.platform.screens->observe(Screens::Notification::screenParametersChanged,
                                      lifetime.guard([this] { displays.noteScreenParametersChange(); }));
}

void WorkspaceController::observeWake() {
    for (auto notification : {Screens::Notification::didWake, Screens::Notification::screensDidWake})
        wakeObservers.push_back(
            env.platform.screens->observe(notification, lifetime.guard([this] { handleWake(); })));
}

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
    maybeRefreshStageManagerState();
    if (stage.stageManagerActive) return;

    const auto pid = env.platform.accessibility->pid(element);
    if (!pid) return;
    const auto app = env.platform.applications->runningApplication(*pid);
    if (!app || !app->bundleIdentifier) return;
    const auto owner = shownWorkspaceOwning(*app->bundleIdentifier);
    if (!owner) return;

    if (placementGuardCount >= 1) scheduleDriftCheck(element, owner->id);
    handleManagedWindowChangedByUser(owner->id, element);
}

void WorkspaceController::handleFocusedWindowChanged() {
    if (hasEmptyPane()) restartReconcileSweep();
    pulseChromeGuard();
}

std::optional<ManagedApp> WorkspaceController::soloedApp(const SoloState& state) const {
    const auto ws = manager.workspace(state.workspaceID);
    if (!ws) return std::nullopt;
    for (const auto& app : ws->apps)
        if (app.id == state.appID) return app;
    return std::nullopt;
}

void WorkspaceController::handleWorkspaceListChange() {
    for (const auto& id : sessions.keys()) {
        const auto ws = manager.workspace(id);
        if (!ws) continue;
        const std::string now = workspace_rules::signature(*ws);
        auto it = tiledSignature.find(id);
        if (it == tiledSignature.end() || it->second == now) {
            tiledSignature[id] = now;
            continue;
        }
        it->second = now;
        reactToPaneEdit(*ws);
    }
    std::erase_if(tiledSignature, [this](const auto& entry) { return !sessions.contains(entry.first); });
}

void WorkspaceController::handleWake() {
    if (sessions.empty()) return;
    Log::line("[Tessane] Woke — re-checking whether any chrome is drawn over a foreign window.");
    refreshStageManagerState(false);
    pulseChromeGuard();
}

}  // namespace tessane
