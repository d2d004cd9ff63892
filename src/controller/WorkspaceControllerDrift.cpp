// Windows that move themselves out of their pane right after we placed them: put back twice
// within ten seconds at most, then left where the application wants them, with one notice.
#include "controller/WorkspaceController.h"

#include "controller/NoticeChrome.h"
#include "controller/WorkspaceRules.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"

#include <algorithm>
#include <cmath>

namespace tessane {

namespace {

constexpr double kDriftCheckDelay = 0.6;
constexpr double kInPlaceTolerance = 24;
constexpr double kGaveUpNoticeSeconds = 8;

}  // namespace

void WorkspaceController::scheduleDriftCheck(const AXElement& element, const Uuid& workspaceID) {
    if (!drift.queueCheck(element)) return;  // one pending check per window
    queue.postAfter(kDriftCheckDelay, lifetime.guard([this, element, workspaceID] {
        drift.checkRan(element);
        checkDrift(element, workspaceID);
    }));
}

void WorkspaceController::checkDrift(const AXElement& element, const Uuid& workspaceID) {
    if (tiling.isGuarding() || drag.isDraggingDivider() || raiser.isResurfacing() || stage.isActive()) return;
    if (solo.owns(workspaceID)) return;
    const auto* session = sessions.find(workspaceID);
    const auto ws = manager.workspace(workspaceID);
    if (!session || !ws) return;
    const auto tracked = std::find_if(session->elements.begin(), session->elements.end(),
                                      [&](const TrackedWindow& t) { return t.element == element; });
    if (tracked == session->elements.end()) return;
    if (axController.boolean(element, ax::kFullScreen)) return;
    // Minimized is not moved: a window the window manager iconified late (a hide it was still
    // working through when the workspace came back) reads wherever the manager parks it, and
    // its application did nothing.
    if (axController.boolean(element, ax::kMinimized)) return;
    const auto pane = workspace_rules::paneRect(tracked->appID, ws->apps, tiling.tileRects(*ws).second);
    if (!pane) return;
    const Rect paneFrame = pane->second;
    const std::string appName = ws->apps[static_cast<size_t>(pane->first)].displayName;
    const auto position = axController.point(element, ax::kPosition);
    const auto size = axController.sizeValue(element, ax::kSize);
    if (!position || !size) return;
    const Rect frame(*position, *size);
    if (std::abs(frame.minX() - paneFrame.minX()) <= kInPlaceTolerance &&
        std::abs(frame.minY() - paneFrame.minY()) <= kInPlaceTolerance)
        return;
    // A button held is the user moving it (a title-bar drag the window manager carries out, begun
    // while a placement of ours was under way), not the application: looked at again once let go.
    // A window drag not yet finished is the user's too: the button reads up as soon as it is let
    // go, while the release that drops the window into a pane may still be on its way.
    if ((env.input && env.input->isMouseButtonDown()) || drag.draggingWorkspace())
        return scheduleDriftCheck(element, workspaceID);

    const auto verdict = drift.judge(element, queue.now());
    if (verdict == DriftMemory::Verdict::givenUp) return;
    if (verdict == DriftMemory::Verdict::giveUp) {
        Log::line("[Tessane] " + appName + " keeps moving its own window out of ‘" + ws->name +
                  "’ — stopped putting it back.");
        if (session->containerAXRect)
            notice->show(appName + " keeps moving its window",
                         appName + " moves its own window out of the workspace after Tessane places it, so Tessane "
                                   "stopped pulling it back. Drag it into its pane, or show the workspace again.",
                         std::nullopt,
                         ScreenGeometry::screenRectFromAX(*session->containerAXRect,
                                                          ScreenGeometry::primaryDisplayHeight(*env.platform.screens)),
                         kGaveUpNoticeSeconds, nullptr);
        return;
    }

    const auto display = [this](const Rect& r) {
        const auto id = displays.displayID(r);
        return id ? std::to_string(*id) : std::string("?");
    };
    Log::line("[Tessane] " + appName + "'s window left its pane in ‘" + ws->name + "’ — now " +
              workspace_rules::rectLog(frame) + " on display " + display(frame) + ", pane " +
              workspace_rules::rectLog(paneFrame) + " on display " + display(paneFrame) + " — putting it back.");
    tiling.beginGuard();
    tiling.placeWindow(element, paneFrame, appName);
    scheduleDriftCheck(element, workspaceID);
}

void WorkspaceController::checkAllWindowsStayed(const Uuid& workspaceID) {
    const auto* session = sessions.find(workspaceID);
    if (!session) return;  // hidden meanwhile
    const auto elements = session->elements;  // a correction may change the session
    for (const auto& tracked : elements) checkDrift(tracked.element, workspaceID);
}

}  // namespace tessane
