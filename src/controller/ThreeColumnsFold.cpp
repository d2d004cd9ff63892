#include "controller/ThreeColumnsFold.h"

#include "controller/DisplaySet.h"
#include "controller/NoticeChrome.h"
#include "controller/PlacementPass.h"
#include "controller/WholePoints.h"
#include "controller/WorkspaceRules.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"

#include <algorithm>
#include <cmath>

namespace tessane {

namespace {

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

ThreeColumnsFold::ThreeColumnsFold(Shown shown, Hooks hooks) : shown(shown), hooks(std::move(hooks)) {}

Workspace ThreeColumnsFold::applyThreeColumnsFold(const Workspace& workspace, std::optional<Rect> container,
                                                  bool force) {
    if (!workspace_rules::isThreeColumns(workspace) || !workspace.layout.threeColumns->folded) return workspace;
    const double width = innerWidth(container.value_or(hooks.containerRect(workspace)));
    if (!memory_.startUnfoldTrial(workspace.id, width, force)) return workspace;
    Workspace unfolded = workspace;
    unfolded.layout = workspace.layout.foldingThreeColumns(false);
    shown.manager.update(unfolded);
    Log::line("[Tessane] ‘" + unfolded.name + "’: three columns — trying three columns at width " +
              wholePoints(width) + ".");
    if (auto* session = shown.sessions.find(unfolded.id))
        refreshChromeGeometry(*session->chrome, unfolded, hooks.appIcons(unfolded));
    return unfolded;
}

bool ThreeColumnsFold::solveThreeColumns(const Workspace& workspace) {
    if (!workspace_rules::isThreeColumns(workspace) ||
        workspace_rules::geometryType(workspace) != LayoutType::threeColumns)
        return false;
    const Uuid id = workspace.id;
    const Rect container = hooks.containerRect(workspace);
    const double width = innerWidth(container);
    const auto rects = shown.tiling.tileRects(workspace).second;

    std::vector<double> measured;
    for (const auto& app : workspace.apps)
        if (const auto frame = shown.tiling.paneWindowFrame(app)) measured.push_back(frame->width());
    if (rects.size() != 3 || measured.size() != 3) return true;

    ThreeColumnsMemory::Pass pass{{}, measured, {}, width, width};
    if (const auto visible = shown.displays.screenVisibleFrameAX(container)) pass.screenWidth = visible->width();
    for (size_t i = 0; i < 3; ++i) {
        pass.planned.push_back(rects[i].width());
        pass.appIDs.push_back(workspace.apps[i].id);
    }
    const auto verdict = memory_.judge(id, pass);
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
            shown.manager.update(folded);
            Log::line("[Tessane] ‘" + workspace.name + "’: folded into 1 + 2 — the apps need " +
                      wholePoints(verdict.need) + " of " + wholePoints(verdict.room) +
                      (verdict.wasTrying ? ", after trying" : "") + ".");
            if (auto* session = shown.sessions.find(id)) {
                refreshChromeGeometry(*session->chrome, folded, hooks.appIcons(folded));
                session->chrome->positionDividerPanels();
            }
            if (verdict.newlyAnnounced) threeColumnsNotice(folded, true);
            shown.tiling.placeWindows(folded, true, false);
            hooks.scheduleDividerReconcile(id);
            return true;
        }

        case ThreeColumnsMemory::Verdict::Kind::resplit: {
            const auto& w = verdict.widths;
            Workspace resplit = workspace;
            resplit.layout.ratios = std::vector<double>{w[0] / (width - 6), w[1] / (w[1] + w[2])};
            shown.manager.update(resplit);
            Log::line("[Tessane] ‘" + workspace.name + "’: three columns re-split to [" + wholePoints(w[0]) + ", " +
                      wholePoints(w[1]) + ", " + wholePoints(w[2]) + "] (pass " + std::to_string(verdict.pass) +
                      ") — an app wouldn't go narrower than its own width.");
            shown.tiling.placeWindows(resplit, true, false);
            // An application that keeps refusing must not drive endless re-tiling.
            if (verdict.pass < kResplitPasses) hooks.scheduleDividerReconcile(id);
            return true;
        }
    }
    return true;
}

bool ThreeColumnsFold::threeColumnsOverflow(const Workspace& workspace) {
    const auto rects = shown.tiling.tileRects(workspace).second;
    if (rects.size() != 3) return false;
    for (size_t i = 0; i < workspace.apps.size() && i < 3; ++i)
        if (const auto frame = shown.tiling.paneWindowFrame(workspace.apps[i]);
            frame && frame->width() > rects[i].width() + ThreeColumnsMemory::kSlack)
            return true;
    return false;
}

void ThreeColumnsFold::threeColumnsNotice(const Workspace& workspace, bool folded) {
    const auto* session = shown.sessions.find(workspace.id);
    if (!session || !session->containerAXRect) return;
    const Rect near = ScreenGeometry::screenRectFromAX(*session->containerAXRect,
                                                       ScreenGeometry::primaryDisplayHeight(shown.screens));
    if (folded)
        shown.notice.show("Too narrow for three columns",
                          "These three apps don’t fit side by side here, so the two on the right are stacked. Widen "
                          "the workspace or use a bigger display to get three columns back.",
                          std::nullopt, near, 6.0, nullptr);
    else
        shown.notice.show("Back to three columns", "There’s room for all three apps side by side again.",
                          std::nullopt, near, 6.0, nullptr);
}

}  // namespace tessane
