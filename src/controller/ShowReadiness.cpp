// After the container is up: the wait for windows, polled every 0.2 s, placing the windows that
// are there as they come; then the tile itself, with its one report of what could not be
// arranged, and the one-time tips card. Applications that run without a window to tile are
// asked to reopen, and a notice card says what the workspace is waiting for.
#include "controller/ShowSequence.h"

#include "controller/FullScreenWatch.h"
#include "controller/NoticeChrome.h"
#include "controller/PaneMatChrome.h"
#include "controller/PlacementPass.h"
#include "controller/ReconcileSweep.h"
#include "controller/TipsChrome.h"
#include "controller/WorkspaceRules.h"
#include "layout/ScreenGeometry.h"
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

WindowReadiness ShowSequence::windowReadiness(const Workspace& ws) {
    std::vector<RunningApplication> runningList;
    for (const auto& app : ws.apps)
        if (auto running = parts.apps.runningApplication(app.bundleIdentifier)) runningList.push_back(*running);

    std::vector<Pid> pids;
    for (const auto& running : runningList)
        if (running.isFinishedLaunching) pids.push_back(running.pid);
    parts.axController.accessibility().willReadWindowsOf(pids);

    WindowReadiness r;
    r.running = runningList.size();
    for (const auto& bundleID : launchesOut[ws.id])
        if (!parts.apps.runningApplication(bundleID)) ++r.stillLaunching;
    r.launching = r.stillLaunching > 0 || std::any_of(runningList.begin(), runningList.end(),
                                                      [](const RunningApplication& a) { return !a.isFinishedLaunching; });
    for (const auto& running : runningList) {
        if (!running.isFinishedLaunching) continue;
        if (parts.axController.mainWindow(running.pid)) {
            ++r.mainWindows;
            ++r.ready;
        } else if (const auto dialog =
                       AXWindowController::selectPendingDialog(parts.axController.windowInfos(running.pid))) {
            hooks.noteOwnChooser(dialog->element, ws.id);
            r.chooserSeen = true;
            ++r.ready;
        } else if (hooks.hasNativeFullScreenWindow(running.pid)) {
            ++r.ready;
        }
    }
    return r;
}

bool ShowSequence::readyToTileAtOnce(const Workspace& ws) {
    const WindowReadiness r = windowReadiness(ws);
    return r.allReady() && static_cast<size_t>(r.mainWindows) == r.running && appsShortOfWindows(ws, {}).empty() &&
           !PlacementPass::tilesTooSmall(parts.tiling.tileRects(ws).second);
}

void ShowSequence::tileWhenWindowsReady(const Uuid& workspaceID, int attempt, int launchWaits,
                                        int placedWindowCount) {
    const auto found = parts.manager.workspace(workspaceID);
    if (!found || !parts.sessions.contains(workspaceID)) return;
    const Workspace& ws = *found;

    const WindowReadiness r = windowReadiness(ws);
    const bool launching = r.launching;
    const size_t ready = r.ready;
    const int mainWindows = r.mainWindows;
    if (r.chooserSeen)
        if (auto* session = parts.sessions.find(workspaceID)) stepAsideForChooser(*session->chrome);

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
        Log::line("[Tessane] Show withdrawn after launch — " + workspace_rules::shortOfWindowsEntries(shortApps) +
                  ".");
        hooks.hide(workspaceID);
        presentShortOfWindowsBlock(shortApps,
                                   lifetime.guard([this, workspaceID] { show(workspaceID); }));
        return;
    }

    if (mainWindows > placedWindowCount) parts.tiling.placeWindows(ws, true, true);
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

void ShowSequence::tileAndReport(const Workspace& workspace) {
    reportTile(workspace, parts.tiling.placeWindows(workspace, false, true));
}

void ShowSequence::reportTile(const Workspace& workspace, const PlacementReport& report,
                              std::optional<Pid> activated) {
    if (auto* session = parts.sessions.find(workspace.id); session && hooks.chooserUp(workspace))
        stepAsideForChooser(*session->chrome);
    if (!report.fullScreenApps.empty()) parts.fullScreen.reconcile(workspace.id);

    // The user working in one of our own windows (the settings) keeps the keyboard.
    const auto front = platform.applications->frontmostApplication();
    const bool ownInFront = front && front->bundleIdentifier == ownBundleIdentifier;
    if (!ownInFront) {
        std::optional<RunningApplication> target;
        if (const ManagedApp* primary = workspace.primaryApp())
            target = parts.apps.runningApplication(primary->bundleIdentifier);
        if (!target)
            for (const auto& app : workspace.apps)
                if ((target = parts.apps.runningApplication(app.bundleIdentifier))) break;
        // Once is enough: every activation costs the window manager a restack of its windows.
        if (target && target->pid != activated) platform.applications->activate(target->pid);
    }

    if (!report.issues.empty()) {
        std::string lines;
        for (const auto& issue : report.issues) lines += (lines.empty() ? "" : "\n") + issue;
        platform.alerts->runModal({AlertSpec::Style::warning,
                                   "Some windows in “" + workspace.name + "” couldn’t be arranged", lines, {"OK"},
                                   std::nullopt});
    }
    if (!report.fullScreenApps.empty())
        queue.post(lifetime.guard([this, id = workspace.id, apps = report.fullScreenApps] {
            parts.fullScreen.presentBlock(id, apps);
        }));
    parts.sweep.restart();
    maybeShowTips(workspace, !report.fullScreenApps.empty());
}

void ShowSequence::maybeShowTips(const Workspace& workspace, bool blockedByFullScreen) {
    const auto seen = [this] { return platform.defaults->boolValue(kTipsSeenKey).value_or(false); };
    if (seen() || blockedByFullScreen) return;
    const auto* session = parts.sessions.find(workspace.id);
    if (!session || session->elements.empty()) return;
    queue.postAfter(kTipsDelay, lifetime.guard([this, id = workspace.id, seen] {
        if (seen()) return;
        const auto* session = parts.sessions.find(id);
        if (!session || !session->chrome->isVisible()) return;
        if (parts.manager.activeWorkspaceID().get() != id) return;
        parts.tips.show(session->chrome->containerCocoaRect());
    }));
}

void ShowSequence::inviteWindowlessApps(const Workspace& workspace, bool reopenApps) {
    const TimeInterval now = queue.now();
    const auto awaited = [&](const ManagedApp& app) {
        const auto it = awaitingDocument.find(app.id);
        return it != awaitingDocument.end() && it->second > now;
    };

    std::vector<WindowlessApp> windowless;
    for (const auto& app : workspace.apps) {
        const auto running = parts.apps.runningApplication(app.bundleIdentifier);
        if (!running || !running->isFinishedLaunching) continue;
        if (parts.tiling.resolveWindow(app, *running)) continue;
        if (hooks.hasNativeFullScreenWindow(running->pid)) continue;
        if (awaited(app)) continue;
        const auto dialog = AXWindowController::selectPendingDialog(parts.axController.windowInfos(running->pid));
        const bool hasMain = parts.axController.mainWindow(running->pid).has_value();
        const bool listed = std::any_of(windowless.begin(), windowless.end(),
                                        [&](const WindowlessApp& w) { return w.name == app.displayName; });
        if (!listed) windowless.push_back({app.displayName, dialog.has_value() && !hasMain, hasMain});
        if (!dialog && reopenApps) {
            Log::line("[Tessane] " + app.displayName + ": no window and no chooser — reopening so it shows one.");
            parts.apps.reopen(app);
        }
    }

    const auto* session = parts.sessions.find(workspace.id);
    const auto near = [&]() -> std::optional<Rect> {
        if (!session || !session->containerAXRect) return std::nullopt;
        return ScreenGeometry::screenRectFromAX(*session->containerAXRect,
                                                ScreenGeometry::primaryDisplayHeight(*platform.screens));
    }();

    if (windowless.empty()) {
        if (!near) return;
        std::vector<std::string> texts;
        for (const auto& app : workspace.apps)
            if (awaited(app) && app.lastDocumentPath)
                texts.push_back("“" + std::filesystem::path(*app.lastDocumentPath).filename().string() + "” in " +
                                app.displayName);
        if (texts.empty()) return;
        const std::string list = workspace_rules::joined(texts, ", ");
        parts.notice.show(texts.size() == 1 ? "Opening a document…" : "Opening documents…",
                          "Waiting for " + list + ". It drops into its pane as soon as it opens.", std::nullopt,
                          *near, std::nullopt, nullptr);
        openingDocumentNoticeShown = true;
        if (lastOpeningNoticeLogged != list) {
            lastOpeningNoticeLogged = list;
            Log::line("[Tessane] Notice: opening " + list + ".");
        }
        return;
    }

    const auto message = workspace_rules::windowlessWaitMessage(windowless);
    if (message && near) parts.notice.show(message->first, message->second, std::nullopt, *near, std::nullopt, nullptr);
}

void ShowSequence::reopenWindowlessApps(const std::vector<ManagedApp>& apps,
                                        const std::set<std::string>& skipping) {
    std::set<std::string> reopened;
    for (const auto& app : apps) {
        if (skipping.count(app.bundleIdentifier) || reopened.count(app.bundleIdentifier)) continue;
        const auto running = parts.apps.runningApplication(app.bundleIdentifier);
        if (!running || !running->isFinishedLaunching) continue;
        if (!parts.axController.windowInfos(running->pid, 0.3f).empty()) continue;
        if (hooks.hasNativeFullScreenWindow(running->pid)) continue;
        reopened.insert(app.bundleIdentifier);
        Log::line("[Tessane] " + app.displayName +
                  ": running with no window — reopening it now instead of after the wait.");
        parts.apps.reopen(app);
    }
}

bool ShowSequence::isStillLoading(const Uuid& workspaceID) {
    const auto ws = parts.manager.workspace(workspaceID);
    const auto* session = parts.sessions.find(workspaceID);
    if (!ws || !session) return false;
    for (const auto& app : ws->apps) {
        const auto running = parts.apps.runningApplication(app.bundleIdentifier);
        if (!running) continue;
        const bool tracked = std::any_of(session->elements.begin(), session->elements.end(),
                                         [&](const auto& t) { return t.pid == running->pid; });
        if (!tracked) return true;
    }
    return false;
}

}  // namespace tessane
