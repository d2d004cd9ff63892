// Three columns side by side, kept honest: after a tiling pass the windows' real widths decide
// whether the columns are re-split to widths the applications accept, folded into one left and
// two stacked right panes when the three cannot fit, or unfolded again on trial once the
// container has room.
#include "controller/WorkspaceController.h"

#include "controller/NoticeChrome.h"
#include "controller/WholePoints.h"
#include "controller/WorkspaceRules.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "system/ExternalAppController.h"

#include <cmath>

namespace tessane {

namespace {

constexpr double kSlack = 24;
constexpr int kResplitPasses = 4;

double innerWidth(const Rect& container) { return std::max(0.0, container.width() - 6); }

}  // namespace

namespace {
// Brings a shown workspace's chrome up to the workspace's current geometry.
void refreshChromeGeometry(ContainerChrome& chrome, const Workspace& ws, const std::vector<Bytes>& icons) {
    chrome.setCurrentAppCount(static_cast<int>(ws.apps.size()));
    chrome.setCurrentLayoutType(workspace_rules::geometryType(ws));
    chrome.setCurrentAppIcons(icons);
    const auto ratios = workspace_rules::threeColumnsRatios(ws);
    if (!ratios.empty()) chrome.setCurrentRatios(ratios);
    chrome.refreshClickShield();
}
}  // namespace

Workspace WorkspaceController::applyThreeColumnsFold(const Workspace& workspace, std::optional<Rect> container,
                                                     bool force) {
    if (!workspace_rules::isThreeColumns(workspace) || !workspace.layout.threeColumns->folded) return workspace;
    const double width = innerWidth(container.value_or(currentContainerAXRect(workspace)));
    if (!columns.startUnfoldTrial(workspace.id, width, force)) return workspace;
    Workspace unfolded = workspace;
    unfolded.layout = workspace.layout.foldingThreeColumns(false);
    manager.update(unfolded);
    Log::line("[Tessane] ‘" + unfolded.name + "’: three columns — trying three columns at width " + wholePoints(width) + ".");
    if (auto* session = sessions.find(unfolded.id)) refreshChromeGeometry(*session->chrome, unfolded, appIcons(unfolded));
    return unfolded;
}

bool WorkspaceController::solveThreeColumns(const Workspace& workspace) {
    if (!workspace_rules::isThreeColumns(workspace) ||
        workspace_rules::geometryType(workspace) != LayoutType::threeColumns)
        return false;
    const Uuid id = workspace.id;
    const Rect container = currentContainerAXRect(workspace);
    const double width = innerWidth(container);
    const auto rects = tiling.tileRects(workspace).second;

    std::vector<double> measured;
    for (const auto& app : workspace.apps)
        if (const auto frame = tiling.paneWindowFrame(app)) measured.push_back(frame->width());
    if (rects.size() != 3 || measured.size() != 3) return true;

    ThreeColumnsMemory::Pass pass{{}, measured, {}, width, width};
    if (const auto visible = displays.screenVisibleFrameAX(container)) pass.screenWidth = visible->width();
    for (size_t i = 0; i < 3; ++i) {
        pass.planned.push_back(rects[i].width());
        pass.appIDs.push_back(workspace.apps[i].id);
    }
    const auto verdict = columns.judge(id, pass);
    switch (verdict.kind) {
        case ThreeColumnsMemory::Verdict::Kind::fits:
            return true;

        case ThreeColumnsMemory::Verdict::Kind::unfolded:
            Log::line("[Tessane] ‘" + workspace.name + "’: all three fit side by side again.");
            threeColumnsNotice(workspace, false);
            return true;

        case ThreeColumnsMemory::Verdict::Kind::fold: {
            Workspace folded = workspace;
            folded.layout = workspace.layout.foldingThreeColumns(true);
            manager.update(folded);
            Log::line("[Tessane] ‘" + workspace.name + "’: folded into 1 + 2 — the apps need " +
                      wholePoints(verdict.need) + " of " + wholePoints(verdict.room) +
                      (verdict.wasTrying ? ", after trying" : "") + ".");
            if (auto* session = sessions.find(id)) {
                refreshChromeGeometry(*session->chrome, folded, appIcons(folded));
                session->chrome->positionDividerPanels();
            }
            if (verdict.newlyAnnounced) threeColumnsNotice(folded, true);
            tiling.placeWindows(folded, true, false);
            dividers.scheduleReconcile(id);
            return true;
        }

        case ThreeColumnsMemory::Verdict::Kind::resplit: {
            const auto& w = verdict.widths;
            Workspace resplit = workspace;
            resplit.layout.ratios = std::vector<double>{w[0] / (width - 6), w[1] / (w[1] + w[2])};
            manager.update(resplit);
            Log::line("[Tessane] ‘" + workspace.name + "’: three columns re-split to [" + wholePoints(w[0]) + ", " +
                      wholePoints(w[1]) + ", " + wholePoints(w[2]) + "] (pass " + std::to_string(verdict.pass) +
                      ") — an app wouldn't go narrower than its own width.");
            tiling.placeWindows(resplit, true, false);
            // An application that keeps refusing must not drive endless re-tiling.
            if (verdict.pass < kResplitPasses) dividers.scheduleReconcile(id);
            return true;
        }
    }
    return true;
}

bool WorkspaceController::threeColumnsOverflow(const Workspace& workspace) {
    const auto rects = tiling.tileRects(workspace).second;
    if (rects.size() != 3) return false;
    for (size_t i = 0; i < workspace.apps.size() && i < 3; ++i)
        if (const auto frame = tiling.paneWindowFrame(workspace.apps[i]); frame && frame->width() > rects[i].width() + kSlack)
            return true;
    return false;
}

void WorkspaceController::threeColumnsNotice(const Workspace& workspace, bool folded) {
    const auto* session = sessions.find(workspace.id);
    if (!session || !session->containerAXRect) return;
    const Rect near = ScreenGeometry::screenRectFromAX(*session->containerAXRect,
                                                       ScreenGeometry::primaryDisplayHeight(*env.platform.screens));
    if (folded)
        notice->show("Too narrow for three columns",
                     "These three apps don’t fit side by side here, so the two on the right are stacked. Widen the "
                     "workspace or use a bigger display to get three columns back.",
                     std::nullopt, near, 6.0, nullptr);
    else
        notice->show("Back to three columns", "There’s room for all three apps side by side again.", std::nullopt, near,
                     6.0, nullptr);
}

}  // namespace tessane
