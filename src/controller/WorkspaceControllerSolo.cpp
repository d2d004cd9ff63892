// Solo and pane focus. A solo lets one application fill its whole workspace for a while without
// changing the layout (one solo in the whole system); pane focus steps the keyboard focus to the
// next or previous pane's application, wrapping around, and moves the solo instead while the
// workspace is soloed.
#include "controller/WorkspaceController.h"

#include "controller/PaneMatChrome.h"
#include "controller/WorkspaceOrdering.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "system/ExternalAppController.h"

#include <algorithm>

namespace tessane {

namespace {

constexpr double kSoloInset = 3;

}  // namespace

// ------------------------------------------------------------------------------- solo

void WorkspaceController::soloFocusedPane() {
    if (!env.platform.accessibility->isProcessTrusted()) return;
    const auto active = manager.activeWorkspaceID().get();
    const auto ws = active ? manager.workspace(*active) : std::nullopt;
    auto* session = ws ? sessions.find(ws->id) : nullptr;
    if (!session) return;
    if (ws->layout.type == LayoutType::mainSidebar || ws->apps.size() < 2) return;

    const ManagedApp* target = nullptr;
    if (const auto focused = shownWorkspaces.focusedAppBundleID(*ws)) {
        const auto it = std::find_if(ws->apps.begin(), ws->apps.end(),
                                     [&](const ManagedApp& a) { return a.bundleIdentifier == *focused; });
        if (it != ws->apps.end()) target = &*it;
    }
    if (!target) target = ws->primaryApp();
    if (!target) return;
    applySolo(target->id, *ws, *session);
}

void WorkspaceController::applySolo(const Uuid& appID, const Workspace& workspace, WorkspaceSession& session) {
    if (!env.platform.accessibility->isProcessTrusted()) return;
    const auto app = std::find_if(workspace.apps.begin(), workspace.apps.end(),
                                  [&](const ManagedApp& a) { return a.id == appID; });
    if (app == workspace.apps.end()) return;
    const auto running = appController->runningApplication(app->bundleIdentifier);
    if (!running || !running->isFinishedLaunching) return;
    const auto window = tiling.resolveWindow(*app, *running);
    if (!window) return;
    if (axController.boolean(window->element, ax::kFullScreen)) {
        Log::line("[Tessane] Solo skipped — ‘" + app->displayName + "’ is in native fullscreen.");
        return;
    }
    if (stage.refresh(false)) {
        Log::line("[Tessane] Solo skipped — Stage Manager is on.");
        return;
    }

    const Rect container = currentContainerAXRect(workspace);
    const Rect soloRect{container.minX() + kSoloInset, container.minY() + kSoloInset,
                        std::max(0.0, container.width() - 2 * kSoloInset),
                        std::max(0.0, container.height() - 2 * kSoloInset)};

    // One solo in the whole system: another workspace's ends (and re-tiles) before this begins,
    // or its chrome would stay without shields and its window over the whole container.
    if (solo.current() && !solo.owns(workspace.id)) restoreFromSolo();
    raiser.setResurfacing(true);
    tiling.beginGuard();
    solo.begin(workspace.id, appID);
    ContainerChrome& chrome = *session.chrome;
    chrome.setIsSoloed(true);
    chrome.paneMat().setShieldsHidden(true);
    if (!chrome.dividersHidden()) {
        chrome.setDividersHidden(true);
        chrome.positionDividerPanels();
    }
    axController.place(window->element, soloRect);
    env.platform.accessibility->performAction(window->element, ax::kRaise);
    env.platform.applications->activate(running->pid);
    shownWorkspaces.setLastActivatedBundleID(app->bundleIdentifier);
    raiser.endResurfacingSoon();
    Log::line("[Tessane] Solo: ‘" + app->displayName + "’ filled workspace ‘" + workspace.name + "’.");
}

std::optional<Uuid> WorkspaceController::endSoloChrome() {
    const auto id = solo.end();
    if (!id) return std::nullopt;
    if (auto* session = sessions.find(*id)) {
        ContainerChrome& chrome = *session->chrome;
        chrome.setIsSoloed(false);
        chrome.paneMat().setShieldsHidden(false);
        if (chrome.dividersHidden()) {
            chrome.setDividersHidden(false);
            chrome.positionDividerPanels();
        }
    }
    return id;
}

void WorkspaceController::restoreFromSolo() {
    const auto id = endSoloChrome();
    if (!id || !env.platform.accessibility->isProcessTrusted()) return;
    const auto ws = manager.workspace(*id);
    if (!ws) return;
    tiling.placeWindows(*ws, false, true);
    Log::line("[Tessane] Solo: restored split for workspace " + id->string() + ".");
}

// ------------------------------------------------------------------------ pane focus

void WorkspaceController::focusAdjacentPane(int offset) {
    const auto active = manager.activeWorkspaceID().get();
    const auto ws = active ? manager.workspace(*active) : std::nullopt;
    if (!ws || !sessions.contains(ws->id)) return;

    struct Stop {
        Uuid appID;
        std::string bundleID;
        RunningApplication app;
    };
    std::vector<Stop> stops;
    for (const auto& app : ws->apps)
        if (auto running = appController->runningApplication(app.bundleIdentifier))
            stops.push_back({app.id, app.bundleIdentifier, *running});

    shownWorkspaces.pruneDeadWindows(ws->id);
    WorkspaceSession* session = sessions.find(ws->id);
    if (!session) return;
    std::vector<Stop> tracked;
    for (const auto& stop : stops)
        if (std::any_of(session->elements.begin(), session->elements.end(),
                        [&](const TrackedWindow& t) { return t.appID == stop.appID; }))
            tracked.push_back(stop);
    if (!tracked.empty()) stops = std::move(tracked);

    const auto indexWhere = [&](auto&& match) -> std::optional<int> {
        const auto it = std::find_if(stops.begin(), stops.end(), match);
        return it == stops.end() ? std::nullopt : std::optional<int>(static_cast<int>(it - stops.begin()));
    };
    const bool soloedHere = solo.owns(ws->id);
    std::optional<int> current;
    if (soloedHere) {
        current = indexWhere([&](const Stop& s) { return s.appID == solo.current()->appID; });
    } else if (const auto focused = shownWorkspaces.focusedPaneAppID(*ws, *session)) {
        current = indexWhere([&](const Stop& s) { return s.appID == *focused; });
    } else if (const auto bundleID = shownWorkspaces.focusedAppBundleID(*ws)) {
        current = indexWhere([&](const Stop& s) { return s.bundleID == *bundleID; });
    }

    const int count = static_cast<int>(stops.size());
    const auto next = ordering::adjacentPaneIndex(current, offset, count);
    if (!next) return;
    const Stop target = stops[*next];
    Log::line("[Tessane][focus] " + ws->name + ": pane " + (current ? std::to_string(*current) : "none") + " → " +
              std::to_string(*next) + " of " + std::to_string(count) + " stops (" + target.bundleID + ")");

    if (soloedHere) {
        applySolo(target.appID, *ws, *session);
        return;
    }
    raiser.setResurfacing(true);
    env.platform.applications->activate(target.app.pid);
    if (env.platform.accessibility->isProcessTrusted() && target.app.isFinishedLaunching) {
        const auto app = std::find_if(ws->apps.begin(), ws->apps.end(),
                                      [&](const ManagedApp& a) { return a.id == target.appID; });
        if (app != ws->apps.end())
            if (const auto window = tiling.resolveWindow(*app, target.app))
                env.platform.accessibility->performAction(window->element, ax::kRaise);
    }
    shownWorkspaces.setLastActivatedBundleID(target.bundleID);
    raiser.endResurfacingSoon();
}

}  // namespace tessane
