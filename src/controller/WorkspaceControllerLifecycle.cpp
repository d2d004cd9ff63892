// Other applications quitting and launching, and the small services those reactions share: the
// chrome guard pulse, the observers over the tracked windows, the chrome while a document
// chooser is up, and the empty-pane test.
#include "controller/WorkspaceController.h"

#include "controller/PaneMatChrome.h"
#include "model/HiddenAppLedger.h"
#include "model/WorkspaceManager.h"
#include "system/AXAppFocusObserver.h"
#include "system/AXWindowObserver.h"
#include "system/ExternalAppController.h"

#include <algorithm>

namespace tessane {

void WorkspaceController::handleAppTerminated(const RunningApplication& app) {
    windowCache.invalidate(app.pid);
    if (app.bundleIdentifier) hiddenApps.forget({*app.bundleIdentifier});

    if (const auto& current = solo.current()) {
        const auto soloed = soloedApp(*current);
        const std::optional<std::string> soloedID =
            soloed ? std::optional<std::string>(soloed->bundleIdentifier) : std::nullopt;
        if (soloedID == app.bundleIdentifier) endSoloChrome();
    }

    if (!app.bundleIdentifier) return;
    const std::string& bundleID = *app.bundleIdentifier;
    const auto usesApp = [&bundleID](const Workspace& ws) {
        return std::any_of(ws.apps.begin(), ws.apps.end(),
                           [&](const ManagedApp& a) { return a.bundleIdentifier == bundleID; });
    };
    // Placement work already under way for the front workspace would reach for the quit app.
    if (const auto& active = manager.activeWorkspaceID().get())
        if (const auto ws = manager.workspace(*active); ws && usesApp(*ws)) placement.advance();

    for (const auto& id : sessions.keys())
        if (const auto ws = manager.workspace(id); ws && usesApp(*ws)) updateLoadingChrome(id);
}

void WorkspaceController::handleAppLaunched(const RunningApplication& app) {
    pulseChromeGuard();
    if (!app.bundleIdentifier) return;
    if (!shownWorkspaceOwning(*app.bundleIdentifier)) return;
    rebuildWindowObserver();
    if (hasEmptyPane()) restartReconcileSweep();
}

void WorkspaceController::restartReconcileSweep() {
    reconcileSweepAttempts = 0;
    if (reconcileSweepWorkItem) reconcileSweepWorkItem->cancel();
    reconcileSweepWorkItem.reset();
    runReconcileSweep();
}

void WorkspaceController::pulseChromeGuard() {
    if (!guardTimer) raisedFromUnder.clear();  // a new pulse tries a buried tile again
    refreshChromeVisibility();
    guardStopAt = queue.now() + 1.5;
    if (guardTimer) return;
    guardTimer = queue.scheduleRepeating(0.3, lifetime.guard([this] {
        if (queue.now() >= guardStopAt) {
            auto timer = guardTimer;  // keeps the timer alive while its own tick returns
            if (timer) timer->invalidate();
            guardTimer.reset();
            return;
        }
        refreshChromeVisibility();
    }));
}

void WorkspaceController::rebuildWindowObserver() {
    std::vector<AXWindowObserver::Entry> entries;
    std::vector<std::pair<Pid, AXElement>> windows;
    std::set<Pid> pids;
    for (const auto& [id, session] : sessions)
        for (const auto& tracked : session->elements) {
            entries.push_back({tracked.pid, tracked.element});
            windows.emplace_back(tracked.pid, tracked.element);
            pids.insert(tracked.pid);
        }
    if (pids != observedPids || windows != observedWindows) {
        windowObserver->observe(entries);
        observedPids = std::move(pids);
        observedWindows = std::move(windows);
    }

    auto focusPids = runningManagedFocusPids();
    if (focusPids == observedFocusPids) return;
    appFocusObserver->observe(std::vector<Pid>(focusPids.begin(), focusPids.end()), 3);
    observedFocusPids = std::move(focusPids);
}

std::set<Pid> WorkspaceController::runningManagedFocusPids() const {
    std::set<Pid> out;
    for (const auto& id : sessions.keys()) {
        const auto ws = manager.workspace(id);
        if (!ws) continue;
        for (const auto& app : ws->apps)
            if (auto running = appController->runningApplication(app.bundleIdentifier);
                running && running->isFinishedLaunching)
                out.insert(running->pid);
    }
    return out;
}

void WorkspaceController::updateLoadingChrome(const Uuid& workspaceID) {
    if (solo.owns(workspaceID)) return;  // the solo owns the chrome
    auto* session = sessions.find(workspaceID);
    const auto ws = manager.workspace(workspaceID);
    if (!session || !ws) return;
    const bool chooserUp = workspaceHasChooserUp(*ws);
    ContainerChrome& chrome = *session->chrome;
    chrome.paneMat().setShieldsHidden(chooserUp);
    if (chrome.dividersHidden() != chooserUp) {
        chrome.setDividersHidden(chooserUp);
        chrome.positionDividerPanels();
    }
}

bool WorkspaceController::workspaceHasChooserUp(const Workspace& workspace) {
    for (const auto& app : workspace.apps) {
        const auto running = appController->runningApplication(app.bundleIdentifier);
        if (!running || !running->isFinishedLaunching) continue;
        if (AXWindowController::selectPendingDialog(axController.windowInfos(running->pid))) return true;
    }
    return false;
}

bool WorkspaceController::hasEmptyPane() {
    for (const auto& id : sessions.keys()) {
        const auto ws = manager.workspace(id);
        if (!ws || !sessions.contains(id)) continue;
        pruneDeadTrackedWindows(id);
        const auto* session = sessions.find(id);
        for (const auto& app : ws->apps) {
            if (!appController->runningApplication(app.bundleIdentifier)) continue;
            const bool tracked = std::any_of(session->elements.begin(), session->elements.end(),
                                             [&](const TrackedWindow& t) { return t.appID == app.id; });
            if (!tracked) return true;
        }
    }
    return false;
}

}  // namespace tessane
