// An application of a shown workspace in the desktop's own fullscreen state
// (_NET_WM_STATE_FULLSCREEN) is left alone: the chrome steps off the screen while one is, comes
// back and re-tiles when the last one leaves, and a show that met one says so. Entering and
// leaving fullscreen may change the current desktop, so each desktop change starts a short
// pulse of re-checks. A window can flap in and out of fullscreen faster than a re-tile takes:
// the first change of a burst is checked at once, the rest once the burst has been quiet for a
// moment, so each settled state costs one re-tile and the user's keys are not kept waiting.
#include "controller/FullScreenWatch.h"

#include "controller/BlockedPrompt.h"
#include "controller/ChromeGuard.h"
#include "controller/SoloMemory.h"
#include "controller/StageManagerGate.h"
#include "controller/TipsChrome.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Alerts.h"
#include "system/AXWindowController.h"
#include "system/ExternalAppController.h"

namespace tessane {

namespace {
constexpr double kPulseTick = 0.3;
constexpr double kPulseLength = 1.2;
// Under the pulse's tick, so a single change is still re-checked on the tick after it.
constexpr double kBurstQuiet = 0.2;
}  // namespace

FullScreenWatch::FullScreenWatch(MainQueue& queue, Alerts& alerts, ExternalAppController& apps,
                                 AXWindowController& windows, Shown shown, BlockedPrompt& prompt, Hooks hooks)
    : queue(queue),
      alerts(alerts),
      apps(apps),
      windows(windows),
      shown(shown),
      prompt(prompt),
      hooks(std::move(hooks)) {}

FullScreenWatch::~FullScreenWatch() {
    if (timer) timer->invalidate();
    if (settleWorkItem) settleWorkItem->cancel();
}

std::set<Pid> FullScreenWatch::fullScreenPids(const Workspace& workspace) {
    std::set<Pid> out;
    for (const auto& app : workspace.apps) {
        const auto running = apps.runningApplication(app.bundleIdentifier);
        if (!running || !running->isFinishedLaunching) continue;
        const bool full = [&] {
            if (const auto main = windows.mainWindow(running->pid)) return main->isFullScreen;
            return hooks.hasFullScreenWindow(running->pid);
        }();
        if (full) out.insert(running->pid);
    }
    return out;
}

bool FullScreenWatch::reconcile(const Uuid& workspaceID) {
    auto* session = shown.sessions.find(workspaceID);
    const auto ws = shown.manager.workspace(workspaceID);
    if (!session || !ws) return false;
    const size_t before = session->fullScreenPids.size();
    session->fullScreenPids = fullScreenPids(*ws);
    const size_t now = session->fullScreenPids.size();
    if (shown.stage.isActive()) return now > 0;
    const std::string name = "“" + ws->name + "”";

    if (now > 0) {
        if (before == 0) {
            session->chrome->orderOut();
            // The tips card belongs with the chrome: never over a fullscreen window either.
            if (shown.tips.hasPanel()) shown.tips.close();
            Log::throttledLine("fullscreen", "[Tessane] " + name +
                                                 ": app fullscreen — chrome hidden (no bleed onto its desktop).");
        }
        return true;
    }
    if (before == 0) return false;

    if (shown.manager.activeWorkspaceID().get() == workspaceID)
        session->chrome->orderFront();
    else
        Log::throttledLine("fullscreen",
                           "[Tessane] " + name +
                               ": left fullscreen — re-tiling, but it isn't the front workspace so its chrome stays down.");
    if (shown.solo.owns(workspaceID)) {
        Log::throttledLine("fullscreen", "[Tessane] " + name + ": left fullscreen — clearing stale solo + re-tiling.");
        hooks.restoreFromSolo();
    } else {
        Log::throttledLine("fullscreen", "[Tessane] " + name + ": left fullscreen — chrome restored, re-tiling.");
        hooks.retile(*ws);
    }
    return false;
}

void FullScreenWatch::spaceChanged() {
    const bool inBurst = settleWorkItem || queue.now() - lastSpaceChangeAt < kBurstQuiet;
    lastSpaceChangeAt = queue.now();
    if (!inBurst) return pulse();
    if (!settleWorkItem) settleWorkItem = queue.postAfter(kBurstQuiet, lifetime.guard([this] { settleBurst(); }));
}

void FullScreenWatch::settleBurst() {
    const double quietFor = queue.now() - lastSpaceChangeAt;
    if (quietFor < kBurstQuiet) {
        settleWorkItem = queue.postAfter(kBurstQuiet - quietFor, lifetime.guard([this] { settleBurst(); }));
        return;
    }
    settleWorkItem.reset();
    pulse();
}

void FullScreenWatch::pulse() {
    shown.stage.refresh(false);
    for (const auto& id : shown.sessions.keys()) reconcile(id);
    shown.guard.pulse();
    stopAt = queue.now() + kPulseLength;
    if (timer) return;
    timer = queue.scheduleRepeating(kPulseTick, lifetime.guard([this] {
        if (queue.now() >= stopAt) {
            auto ticking = timer;  // keeps the timer alive while its own tick returns
            if (ticking) ticking->invalidate();
            timer.reset();
            return;
        }
        if (settleWorkItem) return;  // a burst is under way: its settle checks
        for (const auto& id : shown.sessions.keys()) reconcile(id);
    }));
}

void FullScreenWatch::presentBlock(const Uuid& workspaceID, const std::vector<std::string>& apps) {
    if (!shown.sessions.contains(workspaceID) || prompt.isUp()) return;
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
    // Held through the retry, whose own report may find the windows still fullscreen.
    const auto held = prompt.hold();
    const auto response = alerts.runModal(
        {AlertSpec::Style::informational, message, body, {"Retry after exiting", "Dismiss"}, std::nullopt});
    if (response.button == 0 && shown.sessions.contains(workspaceID))
        if (const auto ws = shown.manager.workspace(workspaceID)) hooks.tileAndReport(*ws);
}

}  // namespace tessane
