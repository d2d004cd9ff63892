// The show road: a user asks for a workspace; its applications launch or unhide without taking
// focus, the gates that can stop it run in their fixed order (count, Accessibility, Stage
// Manager, applications short of windows), the container goes up, and the wait for windows
// begins. Launch failures and missing applications come back in one alert once the last launch
// has answered. Window control away for a moment (the window manager being replaced, or not
// answering) holds a show until the platform says it is back.
#include "controller/ShowSequence.h"

#include "controller/BlockedPrompt.h"
#include "controller/FullScreenWatch.h"
#include "controller/NoticeChrome.h"
#include "controller/PlacementPass.h"
#include "controller/RaiseSequence.h"
#include "controller/StageManagerGate.h"
#include "platform/Accessibility.h"

#include "controller/WorkspaceRules.h"
#include "model/LayoutType.h"
#include "model/AppRegistry.h"
#include "model/HiddenAppLedger.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Alerts.h"
#include "platform/Applications.h"
#include "system/AccessibilityPermission.h"
#include "system/ExternalAppController.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace tessane {

namespace {

constexpr double kLaunchDocumentDeadline = 30;
constexpr double kLaunchedDocumentDeadline = 15;
constexpr double kRunningDocumentDeadline = 10;
constexpr double kRetryDelay = 0.4;

std::string fileNames(const std::vector<std::filesystem::path>& paths) {
    std::string out;
    for (const auto& p : paths) out += (out.empty() ? "" : ", ") + p.filename().string();
    return out;
}

std::string plural(int n, const std::string& word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

// The workspace's panes of one application.
std::vector<ManagedApp> panesOf(const Workspace& ws, const std::string& bundleID) {
    std::vector<ManagedApp> out;
    for (const auto& a : ws.apps)
        if (a.bundleIdentifier == bundleID) out.push_back(a);
    return out;
}

}  // namespace

ShowSequence::ShowSequence(MainQueue& queue, const Platform& platform, std::string ownBundleIdentifier,
                           std::function<AccessibilityPermission::Identity()> identity, Parts parts, Hooks hooks)
    : queue(queue),
      platform(platform),
      ownBundleIdentifier(std::move(ownBundleIdentifier)),
      identity(std::move(identity)),
      parts(parts),
      hooks(std::move(hooks)) {}

void ShowSequence::show(const Uuid& id, std::function<void()> onShown) {
    const TimeInterval start = queue.now();
    const auto found = parts.manager.workspace(id);
    if (!found) return;
    const Workspace ws = *found;
    Log::line("[Tessane] Show workspace requested: " + ws.name);
    if (awaitsWindowControl(ws, onShown)) return;
    hooks.supersedeRaise();  // the latest show wins: nothing of an earlier one comes up over it
    if (refuse(ws)) return;

    std::set<std::string> bundleIDs;
    for (const auto& app : ws.apps) bundleIDs.insert(app.bundleIdentifier);
    parts.hiddenApps.forget(bundleIDs);
    ShowLaunches launches = launch(ws);

    std::optional<RunningApplication> toActivate = launches.primaryRunning;
    if (!toActivate)
        for (const auto& app : ws.apps)
            if ((toActivate = parts.apps.runningApplication(app.bundleIdentifier))) break;
    // A show that stops at a gate activates before it says why; every stop goes out here.
    if (const auto stop = stopsAtGate(ws, launches.launching)) {
        activate(toActivate, id);
        Log::line(stop->line);
        if (stop->present) stop->present();
        return;
    }
    putUp(ws, start, launches, toActivate);
    if (onShown) onShown();
}

bool ShowSequence::refuse(const Workspace& ws) {
    if (ws.apps.empty()) {
        hooks.presentError("“" + ws.name + "” has no apps",
                           "Add 2–4 apps to this workspace in Settings, then try again.");
        return true;
    }
    if (const auto required = layout_types::requiredApps(ws.layout.type); required && ws.apps.size() != *required) {
        const std::string n = std::to_string(*required);
        hooks.presentError("“" + ws.name + "” needs " + n + " apps",
                           "The “" + std::string(label(ws.layout.type)) + "” layout tiles " + n +
                               " apps. Open Settings to add or remove apps, or pick a different layout.");
        return true;
    }
    return false;
}

// ------------------------------------------------------------------------ launches

ShowLaunches ShowSequence::launch(const Workspace& ws) {
    const ManagedApp* primary = ws.primaryApp();
    const std::optional<std::string> primaryBundleID =
        primary ? std::optional<std::string>(primary->bundleIdentifier) : std::nullopt;
    const AppRegistry registry(*platform.applications);
    auto group = std::make_shared<LaunchGroup>();
    ShowLaunches out;
    std::vector<std::string> missing;

    for (const auto& app : ws.apps) {
        if (auto running = parts.apps.runningApplication(app.bundleIdentifier)) {
            if (!running->isHidden)
                out.runningVisible.push_back(app);
            else
                platform.applications->unhide(running->pid);
            if (app.bundleIdentifier == primaryBundleID) out.primaryRunning = running;
            continue;
        }
        if (!registry.isInstalled(app)) {
            missing.push_back(app.displayName);
            continue;
        }
        if (!out.launching.insert(app.bundleIdentifier).second) continue;  // a second pane of the same app
        launchApp(app, ws, group);
    }
    // A launch that failed at once is not waited for and not counted as launching.
    for (const auto& bundleID : group->failedAtOnce) out.launching.erase(bundleID);
    launchesOut[ws.id] = out.launching;

    group->onAllDone = [this, alive = lifetime.liveness(), name = ws.name, missing](const std::vector<std::string>& errors) {
        // The last launch may answer after the show is gone: then even its queue member is.
        if (!alive) return;
        queue.post([this, alive, name, missing, errors] {
            if (alive) reportIssues(name, missing, errors);
        });
    };
    if (group->outstanding == 0) std::exchange(group->onAllDone, nullptr)(group->errors);
    return out;
}

void ShowSequence::launchApp(const ManagedApp& app, const Workspace& ws, const std::shared_ptr<LaunchGroup>& group) {
    ++group->outstanding;
    const auto documents = hooks.rememberedDocuments(panesOf(ws, app.bundleIdentifier));
    std::vector<std::filesystem::path> urls;
    for (const auto& doc : documents) {
        awaitingDocument[doc.pane.id] = queue.now() + kLaunchDocumentDeadline;
        urls.push_back(doc.url);
    }
    if (!urls.empty())
        Log::line("[Tessane] " + app.displayName + ": launching with " + std::to_string(urls.size()) +
                  " remembered document(s): " + fileNames(urls));

    auto returned = std::make_shared<bool>(false);
    const std::string bundleID = app.bundleIdentifier;
    auto completion = [this, alive = lifetime.liveness(), group, returned, id = ws.id,
                       bundleID](const ExternalAppController::LaunchResult& result) {
        const auto* error = std::get_if<ExternalAppController::AppControlError>(&result);
        if (!*returned && error) group->failedAtOnce.insert(bundleID);  // answered before launch() returned
        if (!alive) {
            group->leave();
            return;
        }
        if (auto it = launchesOut.find(id); it != launchesOut.end()) it->second.erase(bundleID);
        if (error) {
            group->errors.push_back(error->description());
        } else if (const auto ws = parts.manager.workspace(id)) {
            for (const auto& pane : ws->apps)
                if (pane.bundleIdentifier == bundleID)
                    if (auto it = awaitingDocument.find(pane.id); it != awaitingDocument.end())
                        it->second = queue.now() + kLaunchedDocumentDeadline;
        }
        group->leave();
    };
    if (urls.empty())
        parts.apps.launch(app, completion);
    else
        parts.apps.launch(app, urls, completion);
    *returned = true;
}

// ------------------------------------------------------------------------ the gates

std::optional<ShowStop> ShowSequence::stopsAtGate(const Workspace& ws, std::set<std::string>& launching) {
    const AccessibilityPermission permission(*platform.accessibility, identity);
    permission.logDiagnostics("Show Workspace ‘" + ws.name + "’");
    if (!permission.ensureTrusted())
        return ShowStop{"[Tessane] Show: window control not available — apps launched, frame/tiling skipped.", nullptr};

    if (parts.stage.refresh(false))
        return ShowStop{"[Tessane] Show blocked — Stage Manager is enabled; not tiling ‘" + ws.name + "’ (would fight it).",
                        [this, id = ws.id] { parts.stage.presentBlock(id, nullptr); }};

    openMissingDocuments(ws, launching);

    if (auto shortApps = appsShortOfWindows(ws, launching); !shortApps.empty()) {
        std::string line = "[Tessane] Show blocked — " + workspace_rules::shortOfWindowsEntries(shortApps) + ".";
        return ShowStop{std::move(line), [this, id = ws.id, shortApps = std::move(shortApps)] {
                            presentShortOfWindowsBlock(shortApps, lifetime.guard([this, id] { show(id); }));
                        }};
    }
    return std::nullopt;
}

void ShowSequence::openMissingDocuments(const Workspace& ws, std::set<std::string>& launching) {
    const AppRegistry registry(*platform.applications);
    std::set<std::string> looked;
    for (const auto& app : ws.apps) {
        const std::string& bundleID = app.bundleIdentifier;
        if (launching.count(bundleID) || !looked.insert(bundleID).second) continue;
        const auto running = parts.apps.runningApplication(bundleID);
        if (!running || !running->isFinishedLaunching) continue;
        const auto documents = hooks.rememberedDocuments(panesOf(ws, bundleID));
        if (documents.empty()) continue;
        std::set<std::string> open;
        for (const auto& info : parts.axController.windowInfos(running->pid, 0.5f))
            if (const auto path = parts.axController.documentPath(info.element)) open.insert(*path);
        std::vector<std::filesystem::path> missingDocs;
        for (const auto& doc : documents)
            if (!open.count(doc.url.string())) {
                awaitingDocument[doc.pane.id] = queue.now() + kRunningDocumentDeadline;
                missingDocs.push_back(doc.url);
            }
        if (missingDocs.empty()) continue;
        launching.insert(bundleID);
        Log::line("[Tessane] " + app.displayName + " is running without " + std::to_string(missingDocs.size()) +
                  " remembered document(s) — opening: " + fileNames(missingDocs));
        if (const auto location = registry.resolveURL(app))
            platform.applications->openDocuments(missingDocs, *location, {.activates = false},
                                                 [](std::optional<RunningApplication>, std::optional<SystemError>) {});
    }
}

// ------------------------------------------------------------------------ up

void ShowSequence::activate(const std::optional<RunningApplication>& app, const Uuid& workspaceID) {
    if (app && platform.applications->activate(app->pid)) parts.raise.noteShowActivation(app->pid, workspaceID);
}

void ShowSequence::putUp(const Workspace& ws, TimeInterval start, const ShowLaunches& launches,
                         const std::optional<RunningApplication>& toActivate) {
    const Uuid& id = ws.id;
    // When every window is there already, the windows are moved as soon as the container's
    // frame is known and the chrome goes up around them after; what that pass logs is held and
    // comes after the frame's line, as when the wait for windows placed them. The activation goes
    // out once the windows are moved: the window manager then takes the moves first (raising and
    // focusing costs it most on a crowded desktop), and the windows' order the pass reads does
    // not change under it. A show that waits for its windows activates before it waits.
    const auto opened = openContainerFrame(ws);
    std::optional<PlacementReport> tiled;
    std::vector<std::string> tileLines;
    if (const auto current = parts.manager.workspace(id); opened && current && readyToTileAtOnce(opened->workspace)) {
        deferredChrome = DeferredChrome{id, std::nullopt};
        parts.tiling.holdLines(&tileLines);
        tiled = parts.tiling.placeWindows(*current, false, true);
        parts.tiling.holdLines(nullptr);
    }
    activate(toActivate, id);
    if (opened) putChromeUp(*opened);
    deferredChrome.reset();
    const auto ms = static_cast<long long>((queue.now() - start) * 1000);
    const auto& launching = launches.launching;
    Log::line("[Tessane] Show ‘" + ws.name + "’: frame up in " + std::to_string(ms) + " ms" +
              (launching.empty() ? "." : ", " + std::to_string(launching.size()) + " app(s) still launching."));
    for (const auto& line : tileLines) Log::line(line);
    reopenWindowlessApps(launches.runningVisible, launching);
    ++readinessChains[id];  // an older wait for this workspace's windows stands down
    if (const auto shown = parts.manager.workspace(id); tiled && shown && parts.sessions.contains(id)) {
        reportTile(*shown, *tiled, toActivate ? std::optional<Pid>(toActivate->pid) : std::nullopt);
        inviteWindowlessApps(*shown, true);
    } else {
        tileWhenWindowsReady(id, 0, 0, 0);
    }
}

bool ShowSequence::holdRatios(const Uuid& workspaceID, const std::vector<double>& ratios) {
    if (!deferredChrome || deferredChrome->workspaceID != workspaceID) return false;
    deferredChrome->ratios = ratios;
    return true;
}

std::optional<std::vector<double>> ShowSequence::heldRatios(const Uuid& workspaceID) const {
    if (!deferredChrome || deferredChrome->workspaceID != workspaceID) return std::nullopt;
    return deferredChrome->ratios;
}

// ------------------------------------------------------------------------ documents awaited

bool ShowSequence::documentAwaited(const Uuid& appID) const {
    const auto it = awaitingDocument.find(appID);
    return it != awaitingDocument.end() && it->second > queue.now();
}

void ShowSequence::documentFound(const Uuid& appID) {
    const TimeInterval now = queue.now();
    awaitingDocument.erase(appID);
    const bool stillAwaiting = std::any_of(awaitingDocument.begin(), awaitingDocument.end(),
                                           [now](const auto& entry) { return entry.second > now; });
    if (openingDocumentNoticeShown && !stillAwaiting) {
        parts.notice.close();
        openingDocumentNoticeShown = false;
        lastOpeningNoticeLogged.reset();
    }
}

// ------------------------------------------------------------------------ short of windows

std::vector<ShowSequence::ShortOfWindows> ShowSequence::appsShortOfWindows(
    const Workspace& workspace, const std::set<std::string>& skipping) {
    const TimeInterval now = queue.now();
    std::set<std::string> awaited;
    for (const auto& app : workspace.apps)
        if (const auto it = awaitingDocument.find(app.id); it != awaitingDocument.end() && it->second > now)
            awaited.insert(app.bundleIdentifier);

    std::vector<std::string> order;
    std::map<std::string, std::pair<std::string, int>> panes;  // bundle id -> (name, panes)
    for (const auto& app : workspace.apps) {
        if (skipping.count(app.bundleIdentifier) || awaited.count(app.bundleIdentifier)) continue;
        auto [it, inserted] = panes.try_emplace(app.bundleIdentifier, app.displayName, 0);
        if (inserted) order.push_back(app.bundleIdentifier);
        ++it->second.second;
    }

    std::vector<ShortOfWindows> out;
    for (const auto& bundleID : order) {
        // One pane is never short: any window fills it, and none is the invitation's.
        if (panes[bundleID].second < 2) continue;
        const auto running = parts.apps.runningApplication(bundleID);
        if (!running || !running->isFinishedLaunching) continue;
        const int windows = static_cast<int>(parts.axController.manageableWindows(running->pid).size());
        const auto& [name, count] = panes[bundleID];
        // No window at all is the windowless invitation's business, not a shortage.
        if (windows == 0 || windows >= count) continue;
        out.push_back({name, bundleID, count, windows});
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.appName < b.appName; });
    return out;
}

void ShowSequence::presentShortOfWindowsBlock(const std::vector<ShortOfWindows>& shortApps,
                                              std::function<void()> onRetry) {
    if (shortApps.empty() || parts.prompt.isUp()) return;
    const ShortOfWindows& first = shortApps.front();
    const int k = first.panes - first.windows;
    const auto running = parts.apps.runningApplication(first.bundleID);
    const auto item = running ? parts.axController.newWindowMenuItem(running->pid) : std::nullopt;

    std::string message, body;
    if (shortApps.size() == 1) {
        message = "“" + first.appName + "” needs " + std::to_string(k) + " more window" + (k == 1 ? "" : "s");
        body = "It has " + plural(first.windows, "window") + " open but " + std::to_string(first.panes) +
               " panes in this workspace, so " + std::to_string(k) + " stayed empty.";
    } else {
        message = "Some panes are empty — those apps need more windows";
        for (const auto& s : shortApps)
            body += (body.empty() ? "" : " ") + s.appName + ": " + plural(s.windows, "window") + " for " +
                    std::to_string(s.panes) + " panes.";
    }
    if (item)
        body += " Tessane can try its " + item->menuTitle + " ▸ " + item->title +
                " command — if that makes a tab or a document instead of a window, open one yourself and Retry.";
    else
        body += " Open another window in " + first.appName + ", then Retry.";

    const auto response = [&] {
        const auto held = parts.prompt.hold();
        return platform.alerts->runModal({AlertSpec::Style::informational, message, body,
                                          {item ? item->title + " & Retry" : "Retry", "Dismiss"}, std::nullopt});
    }();
    if (response.button != 0) return;

    if (item && running) {
        const AXError result = platform.accessibility->performAction(item->element, ax::kPress);
        const auto windows = parts.axController.manageableWindows(running->pid).size();
        Log::line("[Tessane] " + first.appName + ": retry pressed “" + item->menuTitle + " ▸ " + item->title +
                  "”: " + (result == AXError::success ? "ok" : "refused") + " (had " + std::to_string(windows) +
                  " windows).");
    }
    if (onRetry) queue.postAfter(kRetryDelay, lifetime.guard(std::move(onRetry)));
}

// --------------------------------------------------------------------------------- alerts

void ShowSequence::reportIssues(const std::string& workspaceName, const std::vector<std::string>& missing,
                                const std::vector<std::string>& launchErrors) {
    std::string lines;
    if (!missing.empty()) {
        lines = "Not installed: ";
        for (size_t i = 0; i < missing.size(); ++i) lines += (i ? ", " : "") + missing[i];
    }
    for (const auto& error : launchErrors) lines += (lines.empty() ? "" : "\n") + error;
    if (lines.empty()) return;
    platform.alerts->runModal({AlertSpec::Style::warning, "Some apps in “" + workspaceName + "” couldn't be shown",
                               lines, {"OK"}, std::nullopt});
}

bool ShowSequence::windowControlAway(bool placeAgain) {
    auto& wait = windowControlWait;
    if (!wait.awaited)
        wait.awaited = platform.accessibility->awaitWindowControl(lifetime.guard([this] { windowControlSettled(); }));
    if (wait.awaited && placeAgain) wait.placeAgain = true;
    return wait.awaited;
}

void ShowSequence::dropWaitingShow(const Uuid& workspaceID) {
    std::erase_if(windowControlWait.shows, [&](const auto& entry) { return entry.first == workspaceID; });
}

bool ShowSequence::awaitsWindowControl(const Workspace& ws, std::function<void()>& onShown) {
    auto& shows = windowControlWait.shows;
    const auto waiting =
        std::find_if(shows.begin(), shows.end(), [&](const auto& entry) { return entry.first == ws.id; });
    if (waiting == shows.end() && !windowControlAway(false)) return false;
    if (waiting == shows.end()) {
        Log::line("[Tessane] Show ‘" + ws.name + "’ waits for the window manager to take it.");
        shows.emplace_back(ws.id, std::move(onShown));
    } else if (onShown) {
        // Asked again: shown once, and both callers told.
        waiting->second = [first = std::move(waiting->second), then = std::move(onShown)] {
            if (first) first();
            then();
        };
    }
    return true;
}

void ShowSequence::windowControlSettled() {
    auto& wait = windowControlWait;
    wait.awaited = false;
    const bool placeAgain = std::exchange(wait.placeAgain, false);
    auto shows = std::exchange(wait.shows, {});
    const bool back = platform.accessibility->isProcessTrusted();
    if (!shows.empty() || placeAgain)
        Log::line(back ? "[Tessane] Window control is back: carrying on."
                       : "[Tessane] No window manager took over in time.");
    // Placed where the shows would move the windows anyway only when no show follows.
    if (back && placeAgain)
        for (const auto& id : parts.sessions.keys())
            if (const auto ws = parts.manager.workspace(id)) parts.tiling.placeWindows(*ws, false, false);
    const auto alive = lifetime.liveness();
    for (auto& [id, onShown] : shows) {
        if (!alive) return;
        show(id, std::move(onShown));
    }
}

}  // namespace tessane
