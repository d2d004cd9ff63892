#include "controller/DriftWatch.h"

#include "controller/DisplaySet.h"
#include "controller/GlobalInput.h"
#include "controller/NoticeChrome.h"
#include "controller/PlacementPass.h"
#include "controller/SoloMemory.h"
#include "controller/StageManagerGate.h"
#include "controller/WindowDrag.h"
#include "controller/WorkspaceRules.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "system/AXWindowController.h"

#include <algorithm>
#include <cmath>

namespace tessane {

namespace {

constexpr double kDriftCheckDelay = 0.6;
constexpr double kInPlaceTolerance = 24;
constexpr double kGaveUpNoticeSeconds = 8;

}  // namespace

DriftWatch::DriftWatch(MainQueue& queue, Shown shown, Hooks hooks)
    : queue(queue), shown(shown), hooks(std::move(hooks)) {}

void DriftWatch::scheduleDriftCheck(const AXElement& element, const Uuid& workspaceID) {
    if (!memory_.queueCheck(element)) return;  // one pending check per window
    queue.postAfter(kDriftCheckDelay, lifetime.guard([this, element, workspaceID] {
        memory_.checkRan(element);
        checkDrift(element, workspaceID);
    }));
}

void DriftWatch::checkDrift(const AXElement& element, const Uuid& workspaceID) {
    // A move heard while our own moves are being answered may be the application's own all the
    // same (one that puts its window back where it saved it): looked at again once they are over,
    // not dropped, which would leave the window out of its pane for good.
    if (shown.tiling.isGuarding()) return scheduleDriftCheck(element, workspaceID);
    if (shown.drag.isDraggingDivider() || hooks.resurfacing() || shown.stage.isActive()) return;
    if (shown.solo.owns(workspaceID)) return;
    const auto* session = shown.sessions.find(workspaceID);
    const auto ws = shown.manager.workspace(workspaceID);
    if (!session || !ws) return;
    const auto tracked =
        std::find_if(session->elements.begin(), session->elements.end(),
                     [&](const workspace_controller::TrackedWindow& t) { return t.element == element; });
    if (tracked == session->elements.end()) return;
    if (shown.ax.boolean(element, ax::kFullScreen)) return;
    // Minimized is not moved: a window the window manager iconified late (a hide it was still
    // working through when the workspace came back) reads wherever the manager parks it, and
    // its application did nothing.
    if (shown.ax.boolean(element, ax::kMinimized)) return;
    const auto pane = workspace_rules::paneRect(tracked->appID, ws->apps, shown.tiling.tileRects(*ws).second);
    if (!pane) return;
    const Rect paneFrame = pane->second;
    const std::string appName = ws->apps[static_cast<size_t>(pane->first)].displayName;
    const auto position = shown.ax.point(element, ax::kPosition);
    const auto size = shown.ax.sizeValue(element, ax::kSize);
    if (!position || !size) return;
    const Rect frame(*position, *size);
    if (std::abs(frame.minX() - paneFrame.minX()) <= kInPlaceTolerance &&
        std::abs(frame.minY() - paneFrame.minY()) <= kInPlaceTolerance)
        return;
    // A button held is the user moving it (a title-bar drag the window manager carries out, begun
    // while a placement of ours was under way), not the application: looked at again once let go.
    // A window drag not yet finished is the user's too: the button reads up as soon as it is let
    // go, while the release that drops the window into a pane may still be on its way.
    if ((shown.input && shown.input->isMouseButtonDown()) || shown.drag.draggingWorkspace())
        return scheduleDriftCheck(element, workspaceID);

    const auto verdict = memory_.judge(element, queue.now());
    if (verdict == DriftMemory::Verdict::givenUp) return;
    if (verdict == DriftMemory::Verdict::giveUp) {
        Log::line("[Tessane] " + appName + " keeps moving its own window out of ‘" + ws->name +
                  "’ — stopped putting it back.");
        if (session->containerAXRect)
            shown.notice.show(appName + " keeps moving its window",
                              appName + " moves its own window out of the workspace after Tessane places it, so "
                                        "Tessane stopped pulling it back. Drag it into its pane, or show the "
                                        "workspace again.",
                              std::nullopt,
                              ScreenGeometry::screenRectFromAX(*session->containerAXRect,
                                                               ScreenGeometry::primaryDisplayHeight(shown.screens)),
                              kGaveUpNoticeSeconds, nullptr);
        return;
    }

    const auto display = [this](const Rect& r) {
        const auto id = shown.displays.displayID(r);
        return id ? std::to_string(*id) : std::string("?");
    };
    Log::line("[Tessane] " + appName + "'s window left its pane in ‘" + ws->name + "’ — now " +
              workspace_rules::rectLog(frame) + " on display " + display(frame) + ", pane " +
              workspace_rules::rectLog(paneFrame) + " on display " + display(paneFrame) + " — putting it back.");
    shown.tiling.beginGuard();
    shown.tiling.placeWindow(element, paneFrame, appName);
    scheduleDriftCheck(element, workspaceID);
}

void DriftWatch::checkAllWindowsStayed(const Uuid& workspaceID) {
    const auto* session = shown.sessions.find(workspaceID);
    if (!session) return;  // hidden meanwhile
    const auto elements = session->elements;  // a correction may change the session
    for (const auto& tracked : elements) checkDrift(tracked.element, workspaceID);
}

}  // namespace tessane
