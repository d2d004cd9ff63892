// After the container is up: the wait for windows, polled every 0.2 s, placing the windows that
// are there as they come; then the tile itself, with its one report of what could not be
// arranged, and the one-time tips card.
#include "controller/WorkspaceController.h"

#include "controller/PaneMatChrome.h"
#include "controller/TipsChrome.h"
#include "controller/WorkspaceRules.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Alerts.h"
#include "platform/Applications.h"
#include "platform/Defaults.h"
#include "system/ExternalAppController.h"

#include <cstdio>

namespace tessane {

namespace {

constexpr double kPollInterval = 0.2;
constexpr int kQuietPolls = 15;
constexpr int kLaunchPolls = 75;
constexpr double kTipsDelay = 0.6;
constexpr const char* kTipsSeenKey = "TessaneHasSeenWorkspaceTips.v1";

// Hides the click shields and dividers so a document chooser lying over the panes can be used.
void stepAsideForChooser(ContainerChrome& chrome) {
    chrome.paneMat().setShieldsHidden(true);
    if (!chrome.dividersHidden()) {
        chrome.setDividersHidden(true);
        chrome.positionDividerPanels();
    }
}

}  // namespace

WindowReadiness WorkspaceController::windowReadiness(const Workspace& ws) {
    std::vector<RunningApplication> runningList;
    for (const auto& app : ws.apps)
        if (auto running = appController->runningApplication(app.bundleIdentifier)) runningList.push_back(*running);

    std::vector<Pid> pids;
    for (const auto& running : runningList)
        if (running.isFinishedLaunching) pids.push_back(running.pid);
    axController.accessibility().willReadWindowsOf(pids);

    WindowReadiness r;
    r.running = runningList.size();
    for (const auto& bundleID : pendingLaunches[ws.id])
        if (!appController->runningApplication(bundleID)) ++r.stillLaunching;
    r.launching = r.stillLaunching > 0 || std::any_of(runningList.begin(), runningList.end(),
                                                      [](const RunningApplication& a) { return !a.isFinishedLaunching; });
    for (const auto& running : runningList) {
        if (!running.isFinishedLaunching) continue;
        if (axController.mainWindow(running.pid)) {
            ++r.mainWindows;
            ++r.ready;
        } else if (const auto dialog = AXWindowController::selectPendingDialog(axController.windowInfos(running.pid))) {
            noteOwnChooser(dialog->element, ws.id);
            r.chooserSeen = true;
            ++r.ready;
        } else if (appHasNativeFullScreenWindow(running.pid)) {
            ++r.ready;
        }
    }
    return r;
}

bool WorkspaceController::readyToTileAtOnce(const Workspace& ws) {
    const WindowReadiness r = windowReadiness(ws);
    return r.allReady() && static_cast<size_t>(r.mainWindows) == r.running && appsShortOfWindows(ws, {}).empty() &&
           !PlacementPass::tilesTooSmall(tiling.tileRects(ws).second);
}

void WorkspaceController::tileWhenWindowsReady(const Uuid& workspaceID, int attempt, int launchWaits,
                                               int placedWindowCount) {
    const auto found = manager.workspace(workspaceID);
    if (!found || !sessions.contains(workspaceID)) return;
    const Workspace& ws = *found;

    const WindowReadiness r = windowReadiness(ws);
    const bool launching = r.launching;
    const size_t ready = r.ready;
    const int mainWindows = r.mainWindows;
    if (r.chooserSeen)
        if (auto* session = sessions.find(workspaceID)) stepAsideForChooser(*session->chrome);

    const bool allReady = r.allReady();
    const bool outOfPolls = launching ? launchWaits >= kLaunchPolls : attempt >= kQuietPolls;
    if (!allReady && outOfPolls) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", (attempt + launchWaits) * kPollInterval);
        Log::line("[Tessane] Show: " + std::to_string(ready) + "/" + std::to_string(r.running) +
                  " windows ready after ~" + seconds + "s" + (launching ? " with an app still launching" : "") +
                  "; tiling what's available.");
    }
    if (allReady || outOfPolls) {
        const auto shortApps = appsShortOfWindows(ws, {});
        if (shortApps.empty()) {
            tileAndReport(ws);
            inviteWindowlessApps(ws, true);
            return;
        }
        Log::line("[Tessane] Show withdrawn after launch — " + workspace_rules::shortOfWindowsEntries(shortApps) + ".");
        hideWorkspace(workspaceID);
        presentShortOfWindowsBlock(workspaceID, shortApps,
                                   lifetime.guard([this, workspaceID] { showWorkspace(workspaceID); }));
        return;
    }

    if (mainWindows > placedWindowCount) tiling.placeWindows(ws, true, true);
    const uint64_t chain = readinessChains[workspaceID];
    const int nextAttempt = launching ? attempt : attempt + 1;
    const int nextWaits = launching ? launchWaits + 1 : launchWaits;
    const int placed = std::max(placedWindowCount, mainWindows);
    queue.postAfter(kPollInterval, lifetime.guard([this, workspaceID, chain, nextAttempt, nextWaits, placed] {
        // A newer show of this workspace runs its own wait; this one stands down.
        if (readinessChains[workspaceID] != chain) return;
        tileWhenWindowsReady(workspaceID, nextAttempt, nextWaits, placed);
    }));
}

void WorkspaceController::tileAndReport(const Workspace& workspace) {
    reportTile(workspace, tiling.placeWindows(workspace, false, true));
}

void WorkspaceController::reportTile(const Workspace& workspace, const PlacementReport& report,
                                     std::optional<Pid> activated) {
    if (auto* session = sessions.find(workspace.id); session && workspaceHasChooserUp(workspace))
        stepAsideForChooser(*session->chrome);
    if (!report.fullScreenApps.empty()) fullScreen.reconcile(workspace.id);

    // The user working in one of our own windows (the settings) keeps the keyboard.
    const auto front = env.platform.applications->frontmostApplication();
    const bool ownInFront = front && front->bundleIdentifier == env.ownBundleIdentifier;
    if (!ownInFront) {
        std::optional<RunningApplication> target;
        if (const ManagedApp* primary = workspace.primaryApp())
            target = appController->runningApplication(primary->bundleIdentifier);
        if (!target)
            for (const auto& app : workspace.apps)
                if ((target = appController->runningApplication(app.bundleIdentifier))) break;
        // Once is enough: every activation costs the window manager a restack of its windows.
        if (target && target->pid != activated) env.platform.applications->activate(target->pid);
    }

    if (!report.issues.empty()) {
        std::string lines;
        for (const auto& issue : report.issues) lines += (lines.empty() ? "" : "\n") + issue;
        env.platform.alerts->runModal({AlertSpec::Style::warning,
                                       "Some windows in “" + workspace.name + "” couldn’t be arranged", lines, {"OK"},
                                       std::nullopt});
    }
    if (!report.fullScreenApps.empty())
        queue.post(lifetime.guard([this, id = workspace.id, apps = report.fullScreenApps] {
            fullScreen.presentBlock(id, apps);
        }));
    sweep.restart();
    maybeShowWorkspaceTips(workspace, !report.fullScreenApps.empty());
}

void WorkspaceController::maybeShowWorkspaceTips(const Workspace& workspace, bool blockedByFullScreen) {
    const auto seen = [this] { return env.platform.defaults->boolValue(kTipsSeenKey).value_or(false); };
    if (seen() || blockedByFullScreen) return;
    const auto* session = sessions.find(workspace.id);
    if (!session || session->elements.empty()) return;
    queue.postAfter(kTipsDelay, lifetime.guard([this, id = workspace.id, seen] {
        if (seen()) return;
        const auto* session = sessions.find(id);
        if (!session || !session->chrome->isVisible()) return;
        if (manager.activeWorkspaceID().get() != id) return;
        workspaceTips->show(session->chrome->containerCocoaRect());
    }));
}

}  // namespace tessane
