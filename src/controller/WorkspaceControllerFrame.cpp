// Where a shown workspace's container goes: the frame it would like, kept usable on an attached
// display, and the session and chrome put up around it.
#include "controller/WorkspaceController.h"
#include "controller/ContainerFrameRecord.h"
#include "controller/ContainerReach.h"
#include "controller/WorkspaceRules.h"

#include "controller/PaneMatChrome.h"
#include "layout/DisplayResolver.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/Panels.h"
#include "platform/Screens.h"
#include "system/ExternalAppController.h"

#include <algorithm>

namespace tessane {

namespace {

constexpr Size kUsableOverlap{240, 56};
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

// ----------------------------------------------------------------------- putting it up

void WorkspaceController::showContainerFrame(const Workspace& given) {
    if (const auto opened = openContainerFrame(given)) putChromeUp(*opened);
}

std::optional<OpenedFrame> WorkspaceController::openContainerFrame(const Workspace& given) {
    tiling.standDown();
    Rect frame = containerRect(given);

    const Size floorSize = smallestContainer(displays.screenVisibleFrameAX(frame));
    frame.size.width = std::max(frame.width(), floorSize.width);
    frame.size.height = std::max(frame.height(), floorSize.height);

    std::optional<Rect> relocatedFrom;
    bool fitted = false;
    const auto visible = displays.availableScreensVisibleAX();
    // With one screen, that screen is the current display: the pointer is not asked where it is
    // (a round trip, on the way to the show's moves).
    std::optional<Rect> current;
    if (visible.size() == 1)
        current = visible.front();
    else if (const auto display = displays.currentDisplayVisibleAX())
        current = display->first;
    if (current && !DisplayResolver::isUsablyVisible(frame, visible, kUsableOverlap)) {
        relocatedFrom = frame;
        frame = DisplayResolver::clamped(frame, *current, kMinimumContainer);
    } else if (const auto onItsScreen = fittedOntoItsScreen(frame, visible)) {
        relocatedFrom = frame;
        frame = *onItsScreen;
        fitted = true;
    }

    columns.beginOperation(given.id);
    const Workspace workspace = applyThreeColumnsFold(given, frame, true);

    manager.setActiveWorkspace(workspace.id);
    guard.pulse();
    if (!sessions.contains(workspace.id)) sessions.insert(workspace.id, makeSession(workspace.id));
    publishShownWorkspaces();
    tiledSignature[workspace.id] = workspace_rules::signature(workspace);
    stampFront(workspace.id);
    solo.forget(workspace.id);

    auto* session = sessions.find(workspace.id);
    if (!session) return std::nullopt;  // a listener of the active workspace tore it down again
    session->containerAXRect = frame;
    return OpenedFrame{workspace, frame, relocatedFrom, fitted};
}

void WorkspaceController::putChromeUp(const OpenedFrame& opened) {
    const Workspace& workspace = opened.workspace;
    if (auto* session = sessions.find(workspace.id)) {
        ContainerChrome& chrome = *session->chrome;
        prepareChrome(chrome, workspace);
        chrome.setContainerCocoaRect(
            ScreenGeometry::screenRectFromAX(opened.frame, ScreenGeometry::primaryDisplayHeight(*env.platform.screens)));
        chrome.applyGeometry(true);
        chrome.orderFront();
        // The windows were moved first: the ratios their pass found reach the chrome now.
        if (const auto ratios = show.heldRatios(workspace.id)) chrome.syncRatios(*ratios);
        // On the screen now: what the show does after this (the windowless apps' checks, the
        // tile's report) waits for the server behind the window manager's moves.
        env.platform.panels->showOrderedNow();
    }
    if (!opened.relocatedFrom) return;
    Log::line(std::string(opened.fittedOntoItsDisplay ? "[Tessane] Show: larger than its display — fitted onto it."
                                                      : "[Tessane] Show: offscreen / missing display — relocated to "
                                                        "current display.") +
              " original=" + workspace_rules::rectLog(*opened.relocatedFrom) +
              " resolved=" + workspace_rules::rectLog(opened.frame) + ". " + displays.screensLogSummary());
    frames.persist(workspace.id);
}

void WorkspaceController::prepareChrome(ContainerChrome& chrome, const Workspace& workspace) {
    const std::vector<double> ratios = workspace_rules::isThreeColumns(workspace)
                                           ? workspace_rules::threeColumnsRatios(workspace)
                                           : storedRatios(workspace);
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
