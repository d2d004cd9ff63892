// Still to come: the user's moves, drops and resizes, learned minimum sizes and the dividers. Each member logs one "not yet" line
// and does nothing.
#include "controller/WorkspaceController.h"

namespace tessane {

void WorkspaceController::handleManagedWindowChangedByUser(const Uuid&, const std::optional<AXElement>&) {
    notYet("handleManagedWindowChangedByUser");
}

void WorkspaceController::beginWindowDrag(const Uuid&) {
    notYet("beginWindowDrag");
}

void WorkspaceController::updateDropPreview(const Uuid&, const std::optional<AXElement>&) {
    notYet("updateDropPreview");
}

void WorkspaceController::finishWindowDrag(const Uuid&) {
    notYet("finishWindowDrag");
}

void WorkspaceController::performEnforceSnap(const Uuid&) {
    notYet("performEnforceSnap");
}

bool WorkspaceController::managedWindowDeviatesFromExpected(const Workspace&) {
    notYet("managedWindowDeviatesFromExpected");
    return {};
}

bool WorkspaceController::swapPanesIfWindowDroppedInAnother(const Workspace&) {
    notYet("swapPanesIfWindowDroppedInAnother");
    return {};
}

bool WorkspaceController::reflowFromUserResize(const Workspace&) {
    notYet("reflowFromUserResize");
    return {};
}

void WorkspaceController::restoreDividerVisibility(const Uuid&) {
    notYet("restoreDividerVisibility");
}

void WorkspaceController::scheduleLearnAppMinimums(const Uuid&) {
    notYet("scheduleLearnAppMinimums");
}

void WorkspaceController::learnAppMinimums(const Uuid&) {
    notYet("learnAppMinimums");
}

void WorkspaceController::keepAppsOnScreen(const Uuid&) {
    notYet("keepAppsOnScreen");
}

void WorkspaceController::commitDividerRatio(const std::vector<double>&, const Uuid&) {
    notYet("commitDividerRatio");
}

void WorkspaceController::snapDividerToApps(const Uuid&) {
    notYet("snapDividerToApps");
}

bool WorkspaceController::dividerNeedsReconcile(const Uuid&) {
    notYet("dividerNeedsReconcile");
    return {};
}

std::optional<std::pair<int, int>> WorkspaceController::paneSwap(const std::vector<Rect>&,
                                                                 const std::vector<std::optional<Rect>>&,
                                                                 std::optional<Point>, double, double) {
    notYet("paneSwap");
    return {};
}

std::optional<int> WorkspaceController::zoomedPane(const std::vector<Rect>&, const std::vector<std::optional<Rect>>&,
                                                   const std::vector<Uuid>&, const std::map<Uuid, Size>&,
                                                   const std::set<Uuid>&) {
    notYet("zoomedPane");
    return {};
}

bool WorkspaceController::isObservableMinSample(const Rect&, const Rect&, double) {
    notYet("isObservableMinSample");
    return false;
}

void WorkspaceController::bounceFrameToFitApps(const Workspace&, const std::vector<Size>&) {
    notYet("bounceFrameToFitApps");
}

std::map<int, double> WorkspaceController::dividerReconcileFixes(const Workspace&) {
    notYet("dividerReconcileFixes");
    return {};
}

}  // namespace tessane
