// An application of a shown workspace in the desktop's own fullscreen state
// (_NET_WM_STATE_FULLSCREEN) is left alone: the chrome steps off the screen while one is, comes
// back and re-tiles when the last one leaves, and a show that met one says so. Entering and
// leaving fullscreen may change the current desktop, so each desktop change starts a short
// pulse of re-checks. A window can flap in and out of fullscreen faster than a re-tile takes:
// the first change of a burst is checked at once, the rest once the burst has been quiet for a
// moment, so each settled state costs one re-tile and the user's keys are not kept waiting.
#include "controller/TipsChrome.h"
#include "controller/WorkspaceController.h"

#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Alerts.h"
#include "system/ExternalAppController.h"

namespace tessane {

namespace {
constexpr double kPulseTick = 0.3;
constexpr double kPulseLength = 1.2;
// Under the pulse's tick, so a single change is still re-checked on the tick after it.
constexpr double kBurstQuiet = 0.2;
}  // namespace

std::set<Pid> WorkspaceController::fullScreenPids(const Workspace& workspace) {
    std::set<Pid> out;
    for (const auto& app : workspace.apps) {
        const auto running = appController->runningApplication(app.bundleIdentifier);
        if (!running || !running->isFinishedLaunching) continue;
        const bool full = [&] {
            if (const auto main = axController.mainWindow(running->pid)) return main->isFullScreen;
            return appHasNativeFullScreenWindow(running->pid);
        }();
        if (full) out.insert(running->pid);
    }
    return out;
}

bool WorkspaceController::reconcileFullScreenChrome(const Uuid& workspaceID) {
    auto* session = sessions.find(workspaceID);
    const auto ws = manager.workspace(workspaceID);
    if (!session || !ws) return false;
    const size_t before = session->fullScreenPids.size();
    session->fullScreenPids = fullScreenPids(*ws);
    const size_t now = session->fullScreenPids.size();
    if (stage.stageManagerActive) return now > 0;
    const std::string name = "“" + ws->name + "”";

    if (now > 0) {
        if (before == 0) {
            session->chrome->orderOut();
            // The tips card belongs with the chrome: never over a fullscreen window either.
            if (workspaceTips->hasPanel()) workspaceTips->close();
            Log::throttledLine("fullscreen", "[Tessane] " + name +
                                                 ": app fullscreen — chrome hidden (no bleed onto its desktop).");
        }
        return true;
    }
    if (before == 0) return false;

    if (manager.activeWorkspaceID().get() == workspaceID)
        session->chrome->orderFront();
    else
        Log::throttledLine("fullscreen",
                           "[Tessane] " + name +
                               ": left fullscreen — re-tiling, but it isn't the front workspace so its chrome stays down.");
    if (solo.owns(workspaceID)) {
        Log::throttledLine("fullscreen", "[Tessane] " + name + ": left fullscreen — clearing stale solo + re-tiling.");
        restoreFromSolo();
    } else {
        Log::throttledLine("fullscreen", "[Tessane] " + name + ": left fullscreen — chrome restored, re-tiling.");
        tiling.placeWindows(*ws, true, true);
    }
    return false;
}

void WorkspaceController::handleSpaceChange() {
    const bool inBurst = fsSettleWorkItem || queue.now() - lastSpaceChangeAt < kBurstQuiet;
    lastSpaceChangeAt = queue.now();
    if (!inBurst) return pulseFullScreenReconcile();
    if (!fsSettleWorkItem)
        fsSettleWorkItem = queue.postAfter(kBurstQuiet, lifetime.guard([this] { settleFullScreenBurst(); }));
}

void WorkspaceController::settleFullScreenBurst() {
    const double quietFor = queue.now() - lastSpaceChangeAt;
    if (quietFor < kBurstQuiet) {
        fsSettleWorkItem = queue.postAfter(kBurstQuiet - quietFor, lifetime.guard([this] { settleFullScreenBurst(); }));
        return;
    }
    fsSettleWorkItem.reset();
    pulseFullScreenReconcile();
}

void WorkspaceController::pulseFullScreenReconcile() {
    refreshStageManagerState(false);
    for (const auto& id : sessions.keys()) reconcileFullScreenChrome(id);
    pulseChromeGuard();
    fsReconcileStopAt = queue.now() + kPulseLength;
    if (fsReconcileTimer) return;
    fsReconcileTimer = queue.scheduleRepeating(kPulseTick, lifetime.guard([this] {
        if (queue.now() >= fsReconcileStopAt) {
            auto timer = fsReconcileTimer;  // keeps the timer alive while its own tick returns
            if (timer) timer->invalidate();
            fsReconcileTimer.reset();
            return;
        }
        if (fsSettleWorkItem) return;  // a burst is under way: its settle checks
        for (const auto& id : sessions.keys()) reconcileFullScreenChrome(id);
    }));
}

void WorkspaceController::presentFullScreenBlock(const Uuid& workspaceID, const std::vector<std::string>& apps) {
    if (!sessions.contains(workspaceID) || isPresentingBlockedPrompt) return;
    std::string names;
    for (const auto& app : apps) names += (names.empty() ? "" : ", ") + app;
    // On X11 a window is fullscreen by its own or the window manager's doing: either can undo it.
    const std::string exitHint =
        " Leave fullscreen with the app’s own fullscreen key (often F11) or your window manager’s, then Retry.";
    const bool one = apps.size() < 2;
    const std::string message = one ? "“" + names + "” can’t be placed — it’s in fullscreen"
                                    : "Some windows can’t be placed — they’re in fullscreen";
    const std::string body = (one ? "Its window is fullscreen, so Tessane left it alone rather than fight it."
                                  : names + " have fullscreen windows, so Tessane left them alone rather than fight it.") +
                             exitHint;
    isPresentingBlockedPrompt = true;
    const auto response = env.platform.alerts->runModal(
        {AlertSpec::Style::informational, message, body, {"Retry after exiting", "Dismiss"}, std::nullopt});
    if (response.button == 0 && sessions.contains(workspaceID))
        if (const auto ws = manager.workspace(workspaceID)) tileAndReport(*ws);
    isPresentingBlockedPrompt = false;
}

}  // namespace tessane
