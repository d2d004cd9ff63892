// Where a shown workspace's container would like to be, the session a show opens for it, and the
// chrome readied around it.
#include "controller/WorkspaceController.h"
#include "controller/WorkspaceRules.h"

#include "controller/PaneMatChrome.h"
#include "layout/ScreenGeometry.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/Screens.h"

#include <algorithm>

namespace tessane {

namespace {

constexpr double kDefaultInset = 12;

bool hasArea(const RectModel& r) { return r.width > 0 && r.height > 0; }

}  // namespace

// --------------------------------------------------------------------------- screen queries

Rect WorkspaceController::containerRect(const Workspace& workspace) {
    if (const auto home = workspace.homeFrame(displays.currentTopology())) return *home;
    if (workspace.lastContainerFrame && hasArea(*workspace.lastContainerFrame))
        return workspace.lastContainerFrame->rect();
    const Screens& screens = *env.platform.screens;
    if (const auto main = screens.mainScreen())
        return ScreenGeometry::axRectFromScreen(main->visibleFrame, ScreenGeometry::primaryDisplayHeight(screens))
            .insetBy(kDefaultInset, kDefaultInset);
    return {0, 0, 1280, 800};
}

Rect WorkspaceController::currentContainerAXRect(const Workspace& workspace) {
    if (const auto* session = sessions.find(workspace.id); session && session->containerAXRect)
        return *session->containerAXRect;
    return containerRect(workspace);
}

std::optional<Rect> WorkspaceController::focusedManagedWindowFrameCocoa() {
    if (!env.platform.accessibility->isProcessTrusted()) return std::nullopt;
    const auto& active = manager.activeWorkspaceID().get();
    if (!active) return std::nullopt;
    const auto ws = manager.workspace(*active);
    if (!ws) return std::nullopt;

    std::vector<ManagedApp> candidates;
    const auto front = env.platform.applications->frontmostApplication();
    if (front && front->bundleIdentifier) {
        const auto it = std::find_if(ws->apps.begin(), ws->apps.end(),
                                     [&](const ManagedApp& a) { return a.bundleIdentifier == *front->bundleIdentifier; });
        if (it != ws->apps.end()) candidates.push_back(*it);
    }
    for (const auto& app : ws->apps)
        if (candidates.empty() || app.id != candidates.front().id) candidates.push_back(app);

    for (const auto& app : candidates)
        if (const auto frame = tiling.paneWindowFrame(app))
            return ScreenGeometry::screenRectFromAX(*frame, ScreenGeometry::primaryDisplayHeight(*env.platform.screens));
    return std::nullopt;
}

std::vector<Rect> WorkspaceController::managedWindowFramesAX(const Workspace& workspace) {
    std::vector<Rect> frames;
    if (!env.platform.accessibility->isProcessTrusted()) return frames;
    for (const auto& app : workspace.apps)
        if (const auto frame = tiling.paneWindowFrame(app)) frames.push_back(*frame);
    return frames;
}

void WorkspaceController::openSession(const Workspace& workspace) {
    manager.setActiveWorkspace(workspace.id);
    guard.pulse();
    if (!sessions.contains(workspace.id)) sessions.insert(workspace.id, makeSession(workspace.id));
    shownWorkspaces.publishNames();
    edits.noteTiled(workspace);
    shownWorkspaces.stampFront(workspace.id);
    solo.forget(workspace.id);
}

void WorkspaceController::prepareChrome(ContainerChrome& chrome, const Workspace& workspace) {
    const std::vector<double> ratios = workspace_rules::isThreeColumns(workspace)
                                           ? workspace_rules::threeColumnsRatios(workspace)
                                           : workspace_rules::storedRatios(workspace);
    if (!chrome.hasHeaderPanel()) chrome.makeRailPanel();
    chrome.setCurrentTitle(workspace.name);
    chrome.setCurrentLayoutType(workspace_rules::geometryType(workspace));
    chrome.setCurrentAppCount(static_cast<int>(workspace.apps.size()));
    chrome.setCurrentRatios(ratios);
    chrome.setCurrentAppIcons(appIcons(workspace));
    chrome.setIsMaximized(false);
    chrome.setPreMaximizeFrame(std::nullopt);
    chrome.setDividersHidden(false);
    chrome.paneMat().setShieldsHidden(false);
    chrome.setIsSoloed(false);
}

}  // namespace tessane
