// Still to come: the show road, placement, tiling, the container frame and the screens. Each member logs one "not yet" line
// and does nothing.
#include "controller/WorkspaceController.h"

namespace tessane {

void WorkspaceController::showWorkspace(const Uuid&, std::function<void()>) {
    notYet("showWorkspace");
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

}  // namespace tessane
