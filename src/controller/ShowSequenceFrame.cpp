// The show's container frame: the frame the workspace would like, kept usable on an attached
// display (relocated onto the current one when out of reach, fitted onto its own when larger),
// the session opened for it, and the chrome put up around it.
#include "controller/ShowSequence.h"

#include "controller/ContainerChrome.h"
#include "controller/ContainerFrameRecord.h"
#include "controller/ContainerReach.h"
#include "controller/DisplaySet.h"
#include "controller/FrameKeeper.h"
#include "controller/PlacementPass.h"
#include "controller/WorkspaceRules.h"
#include "layout/DisplayResolver.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "platform/Panels.h"
#include "platform/Screens.h"

#include <algorithm>

namespace tessane {

namespace {

constexpr Size kUsableOverlap{240, 56};

}  // namespace

void ShowSequence::showContainerFrame(const Workspace& given) {
    if (const auto opened = openContainerFrame(given)) putChromeUp(*opened);
}

std::optional<OpenedFrame> ShowSequence::openContainerFrame(const Workspace& given) {
    parts.tiling.standDown();
    Rect frame = hooks.containerRect(given);

    const Size floorSize = smallestContainer(parts.displays.screenVisibleFrameAX(frame));
    frame.size.width = std::max(frame.width(), floorSize.width);
    frame.size.height = std::max(frame.height(), floorSize.height);

    std::optional<Rect> relocatedFrom;
    bool fitted = false;
    const auto visible = parts.displays.availableScreensVisibleAX();
    // With one screen, that screen is the current display: the pointer is not asked where it is
    // (a round trip, on the way to the show's moves).
    std::optional<Rect> current;
    if (visible.size() == 1)
        current = visible.front();
    else if (const auto display = parts.displays.currentDisplayVisibleAX())
        current = display->first;
    if (current && !DisplayResolver::isUsablyVisible(frame, visible, kUsableOverlap)) {
        relocatedFrom = frame;
        frame = DisplayResolver::clamped(frame, *current, kMinimumContainer);
    } else if (const auto onItsScreen = fittedOntoItsScreen(frame, visible)) {
        relocatedFrom = frame;
        frame = *onItsScreen;
        fitted = true;
    }

    const Workspace workspace = hooks.foldForFrame(given, frame);
    hooks.openSession(workspace);

    auto* session = parts.sessions.find(workspace.id);
    if (!session) return std::nullopt;  // a listener of the active workspace tore it down again
    session->containerAXRect = frame;
    return OpenedFrame{workspace, frame, relocatedFrom, fitted};
}

void ShowSequence::putChromeUp(const OpenedFrame& opened) {
    const Workspace& workspace = opened.workspace;
    if (auto* session = parts.sessions.find(workspace.id)) {
        ContainerChrome& chrome = *session->chrome;
        hooks.prepareChrome(chrome, workspace);
        chrome.setContainerCocoaRect(
            ScreenGeometry::screenRectFromAX(opened.frame, ScreenGeometry::primaryDisplayHeight(*platform.screens)));
        chrome.applyGeometry(true);
        chrome.orderFront();
        // The windows were moved first: the ratios their pass found reach the chrome now.
        if (const auto ratios = heldRatios(workspace.id)) chrome.syncRatios(*ratios);
        // On the screen now: what the show does after this (the windowless apps' checks, the
        // tile's report) waits for the server behind the window manager's moves.
        platform.panels->showOrderedNow();
    }
    if (!opened.relocatedFrom) return;
    Log::line(std::string(opened.fittedOntoItsDisplay ? "[Tessane] Show: larger than its display — fitted onto it."
                                                      : "[Tessane] Show: offscreen / missing display — relocated to "
                                                        "current display.") +
              " original=" + workspace_rules::rectLog(*opened.relocatedFrom) +
              " resolved=" + workspace_rules::rectLog(opened.frame) + ". " + parts.displays.screensLogSummary());
    parts.frames.persist(workspace.id);
}

}  // namespace tessane
