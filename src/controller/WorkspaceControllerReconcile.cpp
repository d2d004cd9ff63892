// Keeping panes filled after the first tiling: a closed tiled window frees its pane, the sweep
// re-examines every shown workspace while a pane is empty, a late window is adopted into its
// pane, a pending chooser is moved over the pane once, and panes that stay empty are described.
#include "controller/WorkspaceController.h"

#include "controller/NoticeChrome.h"
#include "controller/WholePoints.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "system/ExternalAppController.h"

#include <algorithm>
#include <cmath>

namespace tessane {

namespace {

constexpr double kSweepInterval = 0.2;
constexpr int kSweepPasses = 10;
constexpr float kDiagnosticTimeout = 0.5f;

bool isManageableForDiagnostic(const AXWindowController::WindowInfo& info) {
    if (info.identifier == ax::kIdentifierOpenPanel || info.identifier == ax::kIdentifierSavePanel) return false;
    if (info.role && *info.role != ax::kRoleWindow) return false;
    if (info.subrole && *info.subrole != ax::kSubroleStandardWindow) return false;
    return !info.size || (info.size->width >= AXWindowController::kMinimumManageableSide &&
                          info.size->height >= AXWindowController::kMinimumManageableSide);
}

}  // namespace

// ----------------------------------------------------------------------------- closed windows

void WorkspaceController::handleManagedWindowDestroyed(const AXElement& element) {
    // A report about a window that still answers, or that is only too busy to answer in time,
    // is not a closed window: only an element the system no longer knows counts as gone.
    if (env.platform.accessibility->copyAttribute(element, ax::kRole).error != AXError::invalidUIElement) return;

    drift.forget(element);

    for (const auto& id : sessions.keys()) {
        auto* session = sessions.find(id);
        const auto it = std::find_if(session->elements.begin(), session->elements.end(),
                                     [&](const TrackedWindow& t) { return t.element == element; });
        if (it == session->elements.end()) continue;
        windowCache.remove(it->appID);
        session->elements.erase(it);
        Log::line("[Tessane] A tiled window was closed — its pane is free again.");
        queue.post(lifetime.guard([this, id] {
            if (!sessions.contains(id)) return;
            observers.rebuild();
            reconcilePendingApps(id);
        }));
        return;
    }
}

// ----------------------------------------------------------------------------------- the sweep

void WorkspaceController::runReconcileSweep() {
    for (const auto& id : sessions.keys()) reconcilePendingApps(id);
    if (!hasEmptyPane()) {
        tidiedChoosers.clear();
        return;
    }
    ++reconcileSweepAttempts;
    if (reconcileSweepAttempts < kSweepPasses) {
        reconcileSweepWorkItem = queue.postAfter(kSweepInterval, lifetime.guard([this] { runReconcileSweep(); }));
        return;
    }
    logPanesStillEmptyAfterSweep();
}

void WorkspaceController::reconcilePendingApps(const Uuid& workspaceID) {
    if (!sessions.contains(workspaceID)) return;
    const auto ws = manager.workspace(workspaceID);
    if (!ws) return;
    if (workspaceIsStillLoading(workspaceID)) loadingWorkspaces.insert(workspaceID);

    for (const auto& app : ws->apps) {
        const auto* session = sessions.find(workspaceID);
        if (!session) return;  // torn down by a reaction further in
        const auto running = appController->runningApplication(app.bundleIdentifier);
        if (!running) continue;
        const bool tracked = std::any_of(session->elements.begin(), session->elements.end(),
                                         [&](const TrackedWindow& t) { return t.appID == app.id; });
        if (!tracked) reconcilePendingApp(running->pid);
    }

    if (loadingWorkspaces.count(workspaceID) && !workspaceIsStillLoading(workspaceID)) {
        loadingWorkspaces.erase(workspaceID);
        if (const auto latest = manager.workspace(workspaceID)) placeWindows(*latest, true, true);
        notice->close();
        updateLoadingChrome(workspaceID);
        return;
    }
    if (workspaceIsStillLoading(workspaceID))
        if (const auto latest = manager.workspace(workspaceID)) inviteWindowlessApps(*latest, false);
    updateLoadingChrome(workspaceID);
}

void WorkspaceController::reconcilePendingApp(Pid pid) {
    if (isResurfacing || drag.isDraggingDivider() || stage.isActive() ||
        !env.platform.accessibility->isProcessTrusted())
        return;
    const auto process = env.platform.applications->runningApplication(pid);
    if (!process || !process->bundleIdentifier) return;
    const std::string bundleID = *process->bundleIdentifier;
    const auto owner = shownWorkspaceOwning(bundleID);
    if (!owner) return;
    auto* session = sessions.find(owner->id);
    if (!session || solo.owns(owner->id)) return;

    const auto hasWindow = [&](const ManagedApp& app) {
        return std::any_of(session->elements.begin(), session->elements.end(),
                           [&](const TrackedWindow& t) { return t.appID == app.id; });
    };
    std::optional<size_t> firstFree;
    for (size_t i = 0; i < owner->apps.size() && !firstFree; ++i)
        if (owner->apps[i].bundleIdentifier == bundleID && !hasWindow(owner->apps[i])) firstFree = i;
    if (!firstFree) return;

    const auto running = appController->runningApplication(bundleID);
    if (!running || !running->isFinishedLaunching) return;
    const std::vector<Rect> rects = tileRects(*owner).second;
    if (*firstFree >= rects.size()) return;

    std::optional<size_t> pane;
    std::optional<ResolvedWindow> window;
    for (size_t j = *firstFree; j < owner->apps.size() && j < rects.size() && !window; ++j) {
        const ManagedApp& app = owner->apps[j];
        if (app.bundleIdentifier != bundleID || hasWindow(app)) continue;
        if ((window = resolveWindow(app, *running))) pane = j;
    }

    if (!window) {
        // No window to adopt: a chooser the application is waiting on goes over the pane, once.
        if (tidiedChoosers.count(pid)) return;
        if (const auto dialog = AXWindowController::selectPendingDialog(axController.windowInfos(running->pid))) {
            noteOwnChooser(dialog->element, owner->id);
            beginPlacementGuard();
            env.platform.accessibility->setAttribute(dialog->element, ax::kPosition,
                                                     AXValue::point(rects[*firstFree].origin));
            tidiedChoosers.insert(pid);
        }
        return;
    }

    const ManagedApp& app = owner->apps[*pane];
    const bool fullScreen = axController.boolean(window->element, ax::kFullScreen);
    beginPlacementGuard();
    if (!fullScreen) {
        const auto outcome = placeWindow(window->element, rects[*pane], app.displayName);
        if (outcome.kind == AXWindowController::PlacementOutcome::Kind::refused && !windowControlAway(true))
            noteRefusal(app, outcome.actual, rects[*pane], window->element);
        else
            lastLoggedRefusal.erase(app.id);
    }
    session = sessions.find(owner->id);
    if (!session) return;
    session->elements.push_back({app.id, pid, window->element});
    tidiedChoosers.erase(pid);
    observers.rebuild();
    Log::line("[Tessane] " + app.displayName + ": adopted a window into pane " + std::to_string(*pane + 1) + " of ‘" +
              owner->name + "’" + (fullScreen ? " (fullscreen — tracked, not placed)." : "."));
}

void WorkspaceController::logPanesStillEmptyAfterSweep() {
    for (const auto& id : sessions.keys()) {
        const auto ws = manager.workspace(id);
        const auto* session = sessions.find(id);
        if (!ws || !session) continue;
        for (size_t i = 0; i < ws->apps.size(); ++i) {
            const ManagedApp& app = ws->apps[i];
            const auto bound = [&](const AXElement& e, const Uuid& appID) {
                return std::any_of(session->elements.begin(), session->elements.end(),
                                   [&](const TrackedWindow& t) { return t.element == e && t.appID == appID; });
            };
            if (std::any_of(session->elements.begin(), session->elements.end(),
                            [&](const TrackedWindow& t) { return t.appID == app.id; }))
                continue;
            const std::string pane = "‘" + ws->name + "’ pane " + std::to_string(i + 1) + " (" + app.displayName + ")";
            const auto running = appController->runningApplication(app.bundleIdentifier);
            if (!running) {
                Log::line("[Tessane] Sweep ended — " + pane + ": not running.");
                continue;
            }
            const auto infos = axController.windowInfos(running->pid, kDiagnosticTimeout);
            std::string descriptions;
            for (const auto& info : infos) {
                if (!descriptions.empty()) descriptions += "; ";
                std::string binding = "free";
                for (size_t m = 0; m < ws->apps.size(); ++m)
                    if (bound(info.element, ws->apps[m].id)) {
                        binding = "pane " + std::to_string(m + 1);
                        break;
                    }
                descriptions += info.role.value_or("?") + "/" + info.subrole.value_or("?") + " " +
                                (info.size ? wholePoints(info.size->width) + "×" + wholePoints(info.size->height) : "?") +
                                " id=" + info.identifier.value_or("nil") +
                                " minimized=" + (info.isMinimized ? "true" : "false") +
                                " manageable=" + (isManageableForDiagnostic(info) ? "true" : "false") + " " + binding;
            }
            Log::line("[Tessane] Sweep ended — " + pane + " still empty; " + std::to_string(infos.size()) +
                      " window(s): [" + descriptions + "]");
        }
    }
}

}  // namespace tessane
