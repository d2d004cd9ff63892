// Members whose bodies other changes bring: each logs one "not yet" line and does nothing.
#include "controller/WorkspaceController.h"

#include <cstdlib>

namespace tessane {

void WorkspaceController::showWorkspace(const Uuid&, std::function<void()>) {
    notYet("showWorkspace");
}

void WorkspaceController::hideWorkspace(const Uuid&) {
    notYet("hideWorkspace");
}

void WorkspaceController::hideActiveWorkspace() {
    notYet("hideActiveWorkspace");
}

void WorkspaceController::hideAllWorkspaces() {
    notYet("hideAllWorkspaces");
}

void WorkspaceController::summonWorkspace(const Uuid&) {
    notYet("summonWorkspace");
}

void WorkspaceController::bringActiveWorkspaceToCurrentDisplay() {
    notYet("bringActiveWorkspaceToCurrentDisplay");
}

void WorkspaceController::restoreLayout(const Uuid&) {
    notYet("restoreLayout");
}

void WorkspaceController::saveLayout(const Uuid&) {
    notYet("saveLayout");
}

void WorkspaceController::moveWorkspaceToDisplay(const Uuid&, int) {
    notYet("moveWorkspaceToDisplay");
}

void WorkspaceController::resetWorkspace(const Uuid&) {
    notYet("resetWorkspace");
}

void WorkspaceController::releaseWorkspace(const Uuid&) {
    notYet("releaseWorkspace");
}

void WorkspaceController::closeWorkspaceApps(const Uuid&) {
    notYet("closeWorkspaceApps");
}

void WorkspaceController::deleteWorkspace(const Uuid&) {
    notYet("deleteWorkspace");
}

void WorkspaceController::focusAdjacentPane(int) {
    notYet("focusAdjacentPane");
}

void WorkspaceController::soloFocusedPane() {
    notYet("soloFocusedPane");
}

void WorkspaceController::restoreFromSolo() {
    notYet("restoreFromSolo");
}

void WorkspaceController::advanceSwitcher(int) {
    notYet("advanceSwitcher");
}

void WorkspaceController::commitSwitcher() {
    notYet("commitSwitcher");
}

WorkspaceController::PaneFitReport WorkspaceController::paneFitReport() {
    notYet("paneFitReport");
    return {};
}

void WorkspaceController::recoverHiddenAppsFromPreviousRun() {
    notYet("recoverHiddenAppsFromPreviousRun");
}

void WorkspaceController::unhideAppsTessaneHid(UnhideOccasion) {
    notYet("unhideAppsTessaneHid");
}

void WorkspaceController::flushPendingFramePersists() {
    notYet("flushPendingFramePersists");
}

void WorkspaceController::rememberAllDocuments() {
    notYet("rememberAllDocuments");
}

std::vector<ManagedApp> WorkspaceController::seedAppsFromCurrentWindows(int) {
    notYet("seedAppsFromCurrentWindows");
    return {};
}

std::optional<WorkspaceController::FrontWorkspaceMenu> WorkspaceController::frontWorkspaceActionsMenu() {
    notYet("frontWorkspaceActionsMenu");
    return {};
}

std::string WorkspaceController::rectLog(const Rect&) {
    notYet("rectLog");
    return {};
}

WorkspaceController::ThreeColumnsFit WorkspaceController::fitThreeColumns(const std::vector<double>&, const std::vector<double>&, const std::vector<double>&, double, double) {
    notYet("fitThreeColumns");
    return {};
}

std::vector<Uuid> WorkspaceController::switcherOrder(const std::vector<Uuid>&, const std::vector<Uuid>&, const std::optional<Uuid>&) {
    notYet("switcherOrder");
    return {};
}

std::vector<Uuid> WorkspaceController::workspacesToSwapOut(const Uuid&, uint32_t, const std::vector<std::pair<Uuid, std::optional<uint32_t>>>&) {
    notYet("workspacesToSwapOut");
    return {};
}

std::vector<std::string> WorkspaceController::resurfaceRaiseOrder(const std::vector<std::string>&, const std::optional<std::string>&) {
    notYet("resurfaceRaiseOrder");
    return {};
}

std::optional<int> WorkspaceController::adjacentPaneIndex(std::optional<int>, int, int) {
    notYet("adjacentPaneIndex");
    return {};
}

Workspace WorkspaceController::restoredToCheckpoint(const Workspace&, const std::optional<std::string>&) {
    notYet("restoredToCheckpoint");
    return {};
}

LayoutType WorkspaceController::geometryType(const Workspace&) {
    notYet("geometryType");
    return {};
}

std::vector<double> WorkspaceController::threeColumnsRatios(const Workspace&) {
    notYet("threeColumnsRatios");
    return {};
}

std::vector<double> WorkspaceController::effectiveRatios(const Workspace&, const Rect&) {
    notYet("effectiveRatios");
    return {};
}

void WorkspaceController::showContainerFrame(const Workspace&) {
    notYet("showContainerFrame");
}

void WorkspaceController::tileWhenWindowsReady(const Uuid&, int, int, int) {
    notYet("tileWhenWindowsReady");
}

void WorkspaceController::presentError(const std::string&, const std::string&) {
    notYet("presentError");
}

void WorkspaceController::presentStageManagerBlock(const Uuid&, std::function<void()>) {
    notYet("presentStageManagerBlock");
}

std::vector<WorkspaceController::ShortOfWindows> WorkspaceController::appsShortOfWindows(const Workspace&, const std::set<std::string>&) {
    notYet("appsShortOfWindows");
    return {};
}

void WorkspaceController::presentShortOfWindowsBlock(const Uuid&, const std::vector<ShortOfWindows>&, std::function<void()>) {
    notYet("presentShortOfWindowsBlock");
}

void WorkspaceController::presentFullScreenBlock(const Uuid&, const std::vector<std::string>&) {
    notYet("presentFullScreenBlock");
}

void WorkspaceController::reopenWindowlessApps(const std::vector<ManagedApp>&, const std::set<std::string>&) {
    notYet("reopenWindowlessApps");
}

void WorkspaceController::reportShowIssues(const std::string&, const std::vector<std::string>&, const std::vector<std::string>&) {
    notYet("reportShowIssues");
}

std::optional<std::pair<Rect, std::string>> WorkspaceController::currentDisplayVisibleAX() {
    notYet("currentDisplayVisibleAX");
    return {};
}

std::optional<Rect> WorkspaceController::screenVisibleFrameAX(const Rect&) const {
    notYet("screenVisibleFrameAX");
    return {};
}

std::vector<Rect> WorkspaceController::availableScreensVisibleAX() const {
    notYet("availableScreensVisibleAX");
    return {};
}

std::optional<Rect> WorkspaceController::focusedManagedWindowFrameCocoa() {
    notYet("focusedManagedWindowFrameCocoa");
    return {};
}

Rect WorkspaceController::containerRect(const Workspace&) {
    notYet("containerRect");
    return {};
}

Rect WorkspaceController::currentContainerAXRect(const Workspace&) {
    notYet("currentContainerAXRect");
    return {};
}

std::string WorkspaceController::screensLogSummary() const {
    notYet("screensLogSummary");
    return {};
}

std::vector<Bytes> WorkspaceController::appIcons(const Workspace&) const {
    notYet("appIcons");
    return {};
}

void WorkspaceController::tileAndReport(const Workspace&) {
    notYet("tileAndReport");
}

void WorkspaceController::inviteWindowlessApps(const Workspace&, bool) {
    notYet("inviteWindowlessApps");
}

std::string WorkspaceController::windowlessWaitMessage(const std::vector<WindowlessApp>&) const {
    notYet("windowlessWaitMessage");
    return {};
}

void WorkspaceController::maybeShowWorkspaceTips(const Workspace&, bool) {
    notYet("maybeShowWorkspaceTips");
}

bool WorkspaceController::workspaceIsStillLoading(const Uuid&) {
    notYet("workspaceIsStillLoading");
    return {};
}

void WorkspaceController::noteOwnChooser(const AXElement&, const Uuid&) {
    notYet("noteOwnChooser");
}

std::unique_ptr<WorkspaceController::WorkspaceSession> WorkspaceController::makeSession(const Uuid&) {
    notYet("makeSession");
    auto session = std::make_unique<WorkspaceSession>();
    session->chrome = env.makeChrome();
    return session;
}

void WorkspaceController::promoteFrontWorkspace() {
    notYet("promoteFrontWorkspace");
}

std::string WorkspaceController::workspaceLogName(const std::optional<Uuid>&) const {
    notYet("workspaceLogName");
    return {};
}

void WorkspaceController::tearDownSession(const Uuid&, bool) {
    notYet("tearDownSession");
}

void WorkspaceController::bringForwardApps(const Workspace&) {
    notYet("bringForwardApps");
}

void WorkspaceController::scheduleSnap(const Uuid&) {
    notYet("scheduleSnap");
}

void WorkspaceController::performSnap(const Uuid&) {
    notYet("performSnap");
}

void WorkspaceController::schedulePersist(const Uuid&) {
    notYet("schedulePersist");
}

void WorkspaceController::persistContainerFrame(const Uuid&) {
    notYet("persistContainerFrame");
}

void WorkspaceController::flushFramePersist(const Uuid&) {
    notYet("flushFramePersist");
}

WorkspaceController::PlacementReport WorkspaceController::placeWindows(const Workspace&, bool, bool, bool) {
    notYet("placeWindows");
    return {};
}

WorkspaceController::ManagedPlacement WorkspaceController::placeManagedWindow(const ManagedApp&, const RunningApplication&, const Rect&, std::vector<std::string>&) {
    notYet("placeManagedWindow");
    return {};
}

AXWindowController::PlacementOutcome WorkspaceController::placeWindow(const AXElement&, const Rect&, const std::string&) {
    notYet("placeWindow");
    return {};
}

std::optional<WorkspaceController::ResolvedWindow> WorkspaceController::resolveWindow(const ManagedApp&, const RunningApplication&) {
    notYet("resolveWindow");
    return {};
}

bool WorkspaceController::appHasNativeFullScreenWindow(Pid) const {
    notYet("appHasNativeFullScreenWindow");
    return {};
}

void WorkspaceController::beginPlacementGuard() {
    notYet("beginPlacementGuard");
}

void WorkspaceController::noteRefusal(const ManagedApp&, const Rect&, const Rect&, const AXElement&) {
    notYet("noteRefusal");
}

void WorkspaceController::logPlacementDeviation(const Workspace&, const std::vector<Rect>&) {
    notYet("logPlacementDeviation");
}

void WorkspaceController::pruneCacheForRemovedPanes() {
    notYet("pruneCacheForRemovedPanes");
}

std::pair<std::vector<double>, std::vector<Rect>> WorkspaceController::tileRects(const Workspace&) {
    notYet("tileRects");
    return {};
}

std::vector<Rect> WorkspaceController::managedWindowFramesAX(const Workspace&) {
    notYet("managedWindowFramesAX");
    return {};
}

void WorkspaceController::beginThreeColumnsOperation(const Uuid&) {
    notYet("beginThreeColumnsOperation");
}

Workspace WorkspaceController::applyThreeColumnsFold(const Workspace&, std::optional<Rect>, bool) {
    notYet("applyThreeColumnsFold");
    return {};
}

bool WorkspaceController::threeColumnsOverflow(const Workspace&) {
    notYet("threeColumnsOverflow");
    return {};
}

bool WorkspaceController::solveThreeColumns(const Workspace&) {
    notYet("solveThreeColumns");
    return {};
}

void WorkspaceController::threeColumnsNotice(const Workspace&, bool) {
    notYet("threeColumnsNotice");
}

bool WorkspaceController::confirmQuitApps(const std::string&, int) {
    notYet("confirmQuitApps");
    return {};
}

void WorkspaceController::scheduleUnhideSettle(const std::set<std::string>&, int) {
    notYet("scheduleUnhideSettle");
}

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

void WorkspaceController::checkAllWindowsStayed(const Uuid&) {
    notYet("checkAllWindowsStayed");
}

void WorkspaceController::refreshChromeVisibility() {
    notYet("refreshChromeVisibility");
}

WorkspaceController::RegionFront WorkspaceController::frontOfRegion(const Rect&, const std::set<Pid>&, const std::set<uint32_t>&, const std::vector<Rect>&, const Rect&, const std::set<uint32_t>&) {
    notYet("frontOfRegion");
    return {};
}

void WorkspaceController::pulseFullScreenReconcile() {
    notYet("pulseFullScreenReconcile");
}

void WorkspaceController::reconcileFullScreenChrome(const Uuid&) {
    notYet("reconcileFullScreenChrome");
}

std::set<Pid> WorkspaceController::fullScreenPids(const Workspace&) {
    notYet("fullScreenPids");
    return {};
}

void WorkspaceController::reactToPaneEdit(const Workspace&) {
    notYet("reactToPaneEdit");
}

void WorkspaceController::handleTopologyChange(const std::optional<std::string>&, const std::optional<std::string>&) {
    notYet("handleTopologyChange");
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

void WorkspaceController::scheduleDividerReconcile(const Uuid&) {
    notYet("scheduleDividerReconcile");
}

void WorkspaceController::persistRatiosIfChanged(const std::vector<double>&, const Workspace&) {
    notYet("persistRatiosIfChanged");
}

std::vector<double> WorkspaceController::storedRatios(const Workspace&) const {
    notYet("storedRatios");
    return {};
}

void WorkspaceController::applySolo(const Uuid&, const Workspace&, WorkspaceSession&) {
    notYet("applySolo");
}

void WorkspaceController::activateInSequence(const std::vector<RunningApplication>&, size_t, const Uuid&) {
    notYet("activateInSequence");
}

void WorkspaceController::resurfaceWorkspace(const Workspace&, const std::optional<std::string>&) {
    notYet("resurfaceWorkspace");
}

std::vector<WorkspaceSwitcherItem> WorkspaceController::switcherItems() const {
    notYet("switcherItems");
    return {};
}

void WorkspaceController::startSwitcherFlagsMonitor() {
    notYet("startSwitcherFlagsMonitor");
}

void WorkspaceController::stopSwitcherFlagsMonitor() {
    notYet("stopSwitcherFlagsMonitor");
}

bool WorkspaceController::isThreeColumns(const Workspace&) {
    notYet("isThreeColumns");
    return false;
}

std::string WorkspaceController::rectDescription(const Rect&) {
    notYet("rectDescription");
    return {};
}

std::optional<std::pair<int, Rect>> WorkspaceController::paneRect(const Uuid&, const std::vector<ManagedApp>&,
                                                                  const std::vector<Rect>&) {
    notYet("paneRect");
    return {};
}

bool WorkspaceController::mayCorrectDrift(const std::vector<TimeInterval>&, TimeInterval) {
    notYet("mayCorrectDrift");
    return false;
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
