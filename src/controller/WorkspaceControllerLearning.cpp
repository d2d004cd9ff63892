// Applications that refuse to be small: shortly after a tiling pass the sizes their windows kept
// are read, the plausible minimums among them are used at once (a two-application split is
// re-divided and grown to fit them; any other layout has its dividers reconciled), and nothing of
// it is stored in the workspace.
#include "controller/WorkspaceController.h"

#include "controller/GestureRules.h"
#include "layout/ScreenGeometry.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"
#include "platform/Screens.h"

namespace tessane {

namespace {

constexpr double kLearnDelay = 0.35;
constexpr double kOnScreenCheckDelay = 0.4;
constexpr double kFullScreenSampleSlack = 4;

// The visible frame of the screen under the window's centre; none when no screen holds it (a
// window off every screen keeps whatever size it has as its sample).
std::optional<Rect> visibleFrameUnder(const Rect& window, const Screens& screens) {
    const double primaryHeight = ScreenGeometry::primaryDisplayHeight(screens);
    const Point centre{window.midX(), window.midY()};
    for (const auto& screen : screens.screens())
        if (ScreenGeometry::axRectFromScreen(screen.frame, primaryHeight).contains(centre))
            return ScreenGeometry::axRectFromScreen(screen.visibleFrame, primaryHeight);
    return std::nullopt;
}

}  // namespace

void WorkspaceController::scheduleLearnAppMinimums(const Uuid& workspaceID) {
    // One pending step per workspace: a pass that re-tiles several workspaces learns for each.
    learns.schedule(workspaceID, kLearnDelay, lifetime.guard([this, workspaceID] { learnAppMinimums(workspaceID); }));
}

void WorkspaceController::learnAppMinimums(const Uuid& workspaceID) {
    if (!env.platform.accessibility->isProcessTrusted()) return;
    const auto* session = sessions.find(workspaceID);
    const auto ws = manager.workspace(workspaceID);
    if (!session || !session->chrome->isVisible() || !ws) return;
    // While the displays settle, a window's size may be the work of the change (a display gone
    // from under it, or one at another scale): nothing to learn from. The settled change moves
    // the workspace, or leaves it, and its next pass learns.
    if (displays.inFlux()) return;

    // A window sent to another display still has its old size until its second placement
    // phase sizes it in place: that size says nothing about its minimum, so wait for it.
    for (const auto& tracked : session->elements)
        if (tiling.hasSecondPhase(tracked.element)) {
            scheduleLearnAppMinimums(workspaceID);
            return;
        }

    const auto tiles = tiling.tileRects(*ws).second;
    std::vector<Size> samples;
    for (const auto& tile : tiles) samples.push_back(tile.size);
    const int appCount = std::max<int>(1, static_cast<int>(ws->apps.size()));
    for (size_t i = 0; i < ws->apps.size() && i < tiles.size(); ++i) {
        // A window that turned up since the pass (late, or naming its document only now) keeps
        // the size it opened with, which says nothing of a minimum: its tile stands for it.
        const auto window = tiling.placedPaneWindow(workspaceID, ws->apps[i]);
        if (!window) continue;
        if (!window->frame) {
            tiling.windows().remove(ws->apps[i].id);
            continue;
        }
        const Rect& frame = *window->frame;
        const auto visible = visibleFrameUnder(frame, *env.platform.screens);
        if (!visible || (GestureRules::isObservableMinSample(frame, *visible, kFullScreenSampleSlack) &&
                         GestureRules::withinMinimumCap(ws->layout.type, frame.size, visible->size, appCount)))
            samples[i] = frame.size;
    }

    const bool twoAppSplit = ws->apps.size() == 2 && (ws->layout.type == LayoutType::leftRightSplit ||
                                                      ws->layout.type == LayoutType::topBottomSplit);
    if (!twoAppSplit) {
        scheduleDividerReconcile(workspaceID);
        return;
    }
    bounceFrameToFitApps(*ws, samples);
    queue.postAfter(kOnScreenCheckDelay, lifetime.guard([this, workspaceID] {
        const auto* shown = sessions.find(workspaceID);
        if (shown && shown->chrome->isVisible() && manager.workspace(workspaceID)) keepAppsOnScreen(workspaceID);
    }));
}

void WorkspaceController::bounceFrameToFitApps(const Workspace& workspace, const std::vector<Size>& appSizes) {
    const auto* session = sessions.find(workspace.id);
    if (!session || !session->containerAXRect || appSizes.empty()) return;
    const Rect container = *session->containerAXRect;
    const auto plan =
        GestureRules::planBounce(workspace.layout.type, static_cast<int>(workspace.apps.size()), appSizes, container,
                                 displays.screenVisibleFrameAX(container), workspace.layout.ratios);
    Workspace next = workspace;
    if (plan.ratio) {
        next.layout.ratios = std::vector<double>{*plan.ratio};
        manager.update(next);
    }
    if (plan.frame) adoptContainerFrame(workspace.id, *plan.frame);
    if (plan.ratio || plan.frame) tiling.placeWindows(next, true, false);
}

}  // namespace tessane
