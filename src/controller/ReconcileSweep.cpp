// Keeping panes filled after the first tiling: the sweep re-examines every shown workspace while
// a pane is empty, a late window is adopted into its pane, a pending chooser is moved over the
// pane once, and panes that stay empty are described.
#include "controller/ReconcileSweep.h"

#include "controller/PlacementPass.h"
#include "controller/SoloMemory.h"
#include "controller/WholePoints.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "system/AXWindowController.h"
#include "system/ExternalAppController.h"

#include <algorithm>

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

ReconcileSweep::ReconcileSweep(MainQueue& queue, const Platform& platform, WorkspaceManager& manager,
                               SessionMap<WorkspaceSession>& sessions, ExternalAppController& apps,
                               AXWindowController& axController, PlacementPass& tiling, const SoloMemory& solo,
                               Hooks hooks)
    : queue(queue),
      platform(platform),
      manager(manager),
      sessions(sessions),
      apps(apps),
      axController(axController),
      tiling(tiling),
      solo(solo),
      hooks(std::move(hooks)) {}

void ReconcileSweep::restart() {
    stop();
    attempts_ = 0;
    run();
}

void ReconcileSweep::stop() {
    if (queued) queued->cancel();
    queued.reset();
}

bool ReconcileSweep::hasEmptyPane() {
    for (const auto& id : sessions.keys()) {
        const auto ws = manager.workspace(id);
        if (!ws || !sessions.contains(id)) continue;
        hooks.pruneDeadWindows(id);
        const auto* session = sessions.find(id);
        for (const auto& app : ws->apps) {
            if (!apps.runningApplication(app.bundleIdentifier)) continue;
            const bool tracked = std::any_of(session->elements.begin(), session->elements.end(),
                                             [&](const TrackedWindow& t) { return t.appID == app.id; });
            if (!tracked) return true;
        }
    }
    return false;
}

void ReconcileSweep::forget(const Uuid& workspaceID) {
    loading.erase(workspaceID);
    if (const auto ws = manager.workspace(workspaceID))
        for (const auto& app : ws->apps)
            if (const auto running = apps.runningApplication(app.bundleIdentifier)) tidied.erase(running->pid);
}

// ----------------------------------------------------------------------------------- the sweep

void ReconcileSweep::run() {
    for (const auto& id : sessions.keys()) reconcileWorkspace(id);
    if (!hasEmptyPane()) {
        tidied.clear();
        return;
    }
    ++attempts_;
    if (attempts_ < kSweepPasses) {
        queued = queue.postAfter(kSweepInterval, lifetime.guard([this] { run(); }));
        return;
    }
    logPanesStillEmpty();
}

void ReconcileSweep::reconcileWorkspace(const Uuid& workspaceID) {
    if (!sessions.contains(workspaceID)) return;
    const auto ws = manager.workspace(workspaceID);
    if (!ws) return;
    if (hooks.stillLoading(workspaceID)) loading.insert(workspaceID);

    for (const auto& app : ws->apps) {
        const auto* session = sessions.find(workspaceID);
        if (!session) return;  // torn down by a reaction further in
        const auto running = apps.runningApplication(app.bundleIdentifier);
        if (!running) continue;
        const bool tracked = std::any_of(session->elements.begin(), session->elements.end(),
                                         [&](const TrackedWindow& t) { return t.appID == app.id; });
        if (!tracked) reconcilePendingApp(running->pid);
    }

    if (loading.count(workspaceID) && !hooks.stillLoading(workspaceID)) {
        loading.erase(workspaceID);
        if (const auto latest = manager.workspace(workspaceID)) tiling.placeWindows(*latest, true, true);
        hooks.closeNotice();
        hooks.loadingChanged(workspaceID);
        return;
    }
    if (hooks.stillLoading(workspaceID))
        if (const auto latest = manager.workspace(workspaceID)) hooks.inviteWindowlessApps(*latest);
    hooks.loadingChanged(workspaceID);
}

void ReconcileSweep::reconcilePendingApp(Pid pid) {
    if (hooks.adoptionPaused()) return;
    const auto process = platform.applications->runningApplication(pid);
    if (!process || !process->bundleIdentifier) return;
    const std::string bundleID = *process->bundleIdentifier;
    const auto owner = hooks.shownWorkspaceOwning(bundleID);
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

    const auto running = apps.runningApplication(bundleID);
    if (!running || !running->isFinishedLaunching) return;
    const std::vector<Rect> rects = tiling.tileRects(*owner).second;
    if (*firstFree >= rects.size()) return;

    std::optional<size_t> pane;
    std::optional<ResolvedWindow> window;
    for (size_t j = *firstFree; j < owner->apps.size() && j < rects.size() && !window; ++j) {
        const ManagedApp& app = owner->apps[j];
        if (app.bundleIdentifier != bundleID || hasWindow(app)) continue;
        if ((window = tiling.resolveWindow(app, *running))) pane = j;
    }

    if (!window) {
        // No window to adopt: a chooser the application is waiting on goes over the pane, once.
        if (tidied.count(pid)) return;
        if (const auto dialog = AXWindowController::selectPendingDialog(axController.windowInfos(running->pid))) {
            hooks.noteOwnChooser(dialog->element, owner->id);
            tiling.beginGuard();
            platform.accessibility->setAttribute(dialog->element, ax::kPosition,
                                                 AXValue::point(rects[*firstFree].origin));
            tidied.insert(pid);
        }
        return;
    }

    const ManagedApp& app = owner->apps[*pane];
    const bool fullScreen = axController.boolean(window->element, ax::kFullScreen);
    tiling.beginGuard();
    if (!fullScreen) {
        const auto outcome = tiling.placeWindow(window->element, rects[*pane], app.displayName);
        if (outcome.kind == AXWindowController::PlacementOutcome::Kind::refused && !hooks.windowControlAway())
            tiling.noteRefusal(app, outcome.actual, rects[*pane], window->element);
        else
            tiling.forgetRefusal(app.id);
    }
    session = sessions.find(owner->id);
    if (!session) return;
    session->elements.push_back({app.id, pid, window->element});
    tidied.erase(pid);
    hooks.windowsRebound();
    Log::line("[Tessane] " + app.displayName + ": adopted a window into pane " + std::to_string(*pane + 1) + " of ‘" +
              owner->name + "’" + (fullScreen ? " (fullscreen — tracked, not placed)." : "."));
}

void ReconcileSweep::logPanesStillEmpty() {
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
            const auto running = apps.runningApplication(app.bundleIdentifier);
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
