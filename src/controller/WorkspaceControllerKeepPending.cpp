// Still to come: keeping shown workspaces in shape: closed and late windows, drift, the foreground guard, edits and display moves. Each member logs one "not yet" line
// and does nothing.
#include "controller/WorkspaceController.h"

namespace tessane {

void WorkspaceController::handleManagedWindowDestroyed(const AXElement&) {
    notYet("handleManagedWindowDestroyed");
}

void WorkspaceController::runReconcileSweep() {
    notYet("runReconcileSweep");
}

void WorkspaceController::reconcilePendingApps(const Uuid&) {
    notYet("reconcilePendingApps");
}

void WorkspaceController::reconcilePendingApp(Pid) {
    notYet("reconcilePendingApp");
}

void WorkspaceController::logPanesStillEmptyAfterSweep() {
    notYet("logPanesStillEmptyAfterSweep");
}

void WorkspaceController::scheduleDriftCheck(const AXElement&, const Uuid&) {
    notYet("scheduleDriftCheck");
}

void WorkspaceController::checkDrift(const AXElement&, const Uuid&) {
    notYet("checkDrift");
}

void WorkspaceController::refreshChromeVisibility() {
    notYet("refreshChromeVisibility");
}

WorkspaceController::RegionFront WorkspaceController::frontOfRegion(const Rect&, const std::set<Pid>&, const std::set<uint32_t>&, const std::vector<Rect>&, const Rect&, const std::set<uint32_t>&) {
    notYet("frontOfRegion");
    return {};
}

void WorkspaceController::reactToPaneEdit(const Workspace&) {
    notYet("reactToPaneEdit");
}

void WorkspaceController::moveShownWorkspace(const Uuid&, const Rect&, bool) {
    notYet("moveShownWorkspace");
}

bool WorkspaceController::windowsAlreadyReturned(const Rect&, const Workspace&) {
    notYet("windowsAlreadyReturned");
    return {};
}

void WorkspaceController::presentHomeOffer(const std::vector<HomeOffer>&) {
    notYet("presentHomeOffer");
}

void WorkspaceController::scheduleHomeOfferRecheck(const std::vector<HomeOffer>&) {
    notYet("scheduleHomeOfferRecheck");
}

void WorkspaceController::moveHomeIfStillValid(const Uuid&) {
    notYet("moveHomeIfStillValid");
}

bool WorkspaceController::mayCorrectDrift(const std::vector<TimeInterval>&, TimeInterval) {
    notYet("mayCorrectDrift");
    return false;
}

}  // namespace tessane
