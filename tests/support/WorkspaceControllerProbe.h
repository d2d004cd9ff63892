#pragma once

#include "controller/WorkspaceController.h"
#include "model/WorkspaceManager.h"
#include "system/AXAppFocusObserver.h"
#include "system/AXWindowObserver.h"
#include "system/ExternalAppController.h"
#include "system/StageManagerWatcher.h"

#include <optional>
#include <set>
#include <vector>

namespace tessane {

// Test access to the controller's state and private operations (a friend of the class). Tests
// drive the controller through the desktop and its public commands where they can; the probe
// reads what they cannot see and calls the private steps a case isolates.
struct WorkspaceControllerProbe {
    WorkspaceController& c;

    using Session = WorkspaceController::WorkspaceSession;
    using Tracked = WorkspaceController::TrackedWindow;

    // ------------------------------------------------------------------ reading the state
    size_t sessionCount() const { return c.shownWorkspaces.sessions().size(); }
    Session* session(const Uuid& id) const { return c.shownWorkspaces.sessions().find(id); }
    std::vector<Uuid> sessionOrder() const { return c.shownWorkspaces.sessions().keys(); }
    uint64_t frontSequence() const { return c.shownWorkspaces.frontSequence(); }
    const std::vector<Uuid>& recentWorkspaceIDs() const { return c.shownWorkspaces.recentWorkspaceIDs(); }
    const std::optional<std::string>& lastActivatedBundleID() const {
        return c.shownWorkspaces.lastActivatedBundleID();
    }
    bool stageManagerActive() const { return c.stage.isActive(); }
    TimeInterval lastStageManagerCheck() const { return c.stage.lastCheck(); }
    bool hasStageManagerWatcher() const { return c.stage.watcher() != nullptr; }
    const StageManagerWatcher* stageManagerWatcher() const { return c.stage.watcher(); }
    bool hasStageManagerPointerMonitor() const { return c.stage.hasPointerMonitor(); }
    bool guardTimerRunning() const { return c.guard.isPulsing(); }
    const RepeatingTimer* guardTimer() const { return c.guard.timer(); }
    TimeInterval guardStopAt() const { return c.guard.stopAt(); }
    const std::set<Pid>& observedPids() const { return c.observers.observedPids(); }
    const std::vector<std::pair<Pid, AXElement>>& observedWindows() const { return c.observers.observedWindows(); }
    const std::set<Pid>& observedFocusPids() const { return c.observers.observedFocusPids(); }
    std::vector<Pid> windowObserverPids() const { return c.observers.windowObserver().observedPids(); }
    uint64_t focusObserverGeneration() const { return c.observers.appFocusObserver().generation(); }
    int reconcileSweepAttempts() const { return c.sweep.attempts(); }
    bool reconcileSweepQueued() const { return c.sweep.isQueued(); }
    int64_t placementGeneration() const { return c.tiling.generation(); }
    std::optional<std::string> cachedTopology() const { return c.displays.cachedTopology(); }
    bool cachedTopologyValid() const { return c.displays.topologyKnown(); }
    TimeInterval topologyFluxUntil() const { return c.displays.fluxUntil(); }
    std::optional<AXElement> cachedWindow(const Uuid& appID, Pid pid) const { return c.tiling.windows().window(appID, pid); }
    std::set<Uuid> cachedAppIDs() const { return c.tiling.windows().appIDs(); }
    uint64_t paneCachePrunes() const { return c.tiling.cachePrunes(); }
    void clearWindowCache() { c.tiling.windows() = {}; }
    const std::map<Uuid, std::string>& tiledSignature() const { return c.edits.tiledSignature(); }
    bool isPresentingBlockedPrompt() const { return c.blockedPrompt.isUp(); }

    // Per-workspace bookkeeping and pending work, read and written by the teardown's tests.
    auto& pendingLaunches() { return c.show.pendingLaunches(); }
    auto& ownChooserWindowIDs() { return c.choosers.ownChooserWindowIDs(); }
    auto& loadingWorkspaces() { return c.sweep.loadingWorkspaces(); }
    auto& tidiedChoosers() { return c.sweep.tidiedChoosers(); }
    PendingPerWorkspace& persists() { return c.frames.pendingPersists(); }
    PendingPerWorkspace& snaps() { return c.frames.pendingSnaps(); }
    PendingPerWorkspace& learns() { return c.dividers.pendingLearns(); }
    auto& enforceSnapWorkItem() { return c.gestures.enforceWorkItem(); }
    auto& dividerSettleWorkItem() { return c.dividers.settleWorkItem(); }
    auto& unhideSettleWorkItem() { return c.quitGuards.unhideSettleWorkItem(); }
    WindowDrag& drag() { return c.drag; }
    ThreeColumnsMemory& threeColumns() { return c.columns.memory(); }
    DriftMemory& drift() { return c.drift.memory(); }
    SoloMemory& solo() { return c.solo; }
    const std::optional<std::string>& lastForeignWindow() const { return c.guard.lastForeignWindow(); }
    bool homeOfferRecheckPending() const { return c.homeOffers.recheckPending(); }
    bool isResurfacing() const { return c.raiser.isResurfacing(); }

    // ------------------------------------------------------------------ setting the state
    void setDraggingDivider(bool on) { c.drag.setDraggingDivider(on); }
    void setPlacementGuardCount(int count) { c.tiling.setGuardDepth(count); }
    void setResurfacing(bool on) { c.raiser.setResurfacing(on); }
    void setLastActivatedBundleID(std::optional<std::string> id) {
        c.shownWorkspaces.setLastActivatedBundleID(std::move(id));
    }
    void setTopologyFluxUntil(TimeInterval t) { c.displays.setFluxUntil(t); }
    void queueReconcileSweep(std::shared_ptr<WorkItem> item) { c.sweep.replaceQueued(std::move(item)); }

    // ------------------------------------------------------------------ private operations
    void pulseChromeGuard() { c.guard.pulse(); }
    void rebuildWindowObserver() { c.observers.rebuild(); }
    bool hasEmptyPane() { return c.sweep.hasEmptyPane(); }
    void updateLoadingChrome(const Uuid& id) { c.choosers.updateLoadingChrome(id); }
    void rememberDocuments(const Uuid& id) { c.documents.rememberAll(id); }
    void rememberDocument(const AXElement& window, const ManagedApp& app) { c.documents.remember(window, app); }
    std::vector<ManagedApp> siblingPanes(const ManagedApp& app) const { return c.documents.siblingPanes(app); }
    std::vector<WorkspaceController::RememberedDocument> rememberedDocuments(const std::vector<ManagedApp>& apps) const {
        return c.documents.remembered(apps);
    }
    void maybeRefreshStageManagerState() { c.stage.maybeRefresh(); }
    void startStageManagerWatchesIfNeeded() { c.stage.startWatchesIfNeeded(); }
    void stopStageManagerWatchesIfIdle() { c.stage.stopWatchesIfIdle(); }
    std::optional<Workspace> shownWorkspaceOwning(const std::string& bundleID) const {
        return c.shownWorkspaces.owning(bundleID);
    }
    void pruneDeadTrackedWindows(const Uuid& id) { c.shownWorkspaces.pruneDeadWindows(id); }
    std::optional<std::string> focusedWorkspaceAppBundleID(const Workspace& ws) const {
        return c.shownWorkspaces.focusedAppBundleID(ws);
    }
    std::optional<Uuid> focusedPaneAppID(const Workspace& ws) const {
        return c.shownWorkspaces.focusedPaneAppID(ws, *c.shownWorkspaces.sessions().find(ws.id));
    }
    std::optional<std::string> currentTopology() { return c.displays.currentTopology(); }
    void handleTopologyChange(const std::optional<std::string>& previous, const std::optional<std::string>& current,
                              bool reframed = false) {
        c.follower.handleTopologyChange(previous, current, reframed);
    }
    void tearDownSession(const Uuid& id, bool persistFrame) { c.tearDownSession(id, persistFrame); }
    void promoteFrontWorkspace() { c.shownWorkspaces.promoteFront(); }
    std::string workspaceLogName(const std::optional<Uuid>& id) const { return c.shownWorkspaces.logName(id); }
    void bringForwardApps(const Workspace& ws) { c.raiser.bringForwardApps(ws); }
    void resurfaceWorkspace(const Workspace& ws, const std::optional<std::string>& triggeredBy) {
        c.raiser.resurfaceWorkspace(ws, triggeredBy);
    }
    void scheduleUnhideSettle(const std::set<std::string>& ids, int attempt) {
        c.quitGuards.scheduleUnhideSettle(ids, attempt);
    }
    bool confirmQuitApps(const std::string& name, int count) { return c.quitGuards.confirmQuitApps(name, count); }
    void handleWindowEvent(const AXElement& element, const std::string& notification) {
        c.handleWindowEvent(element, notification);
    }
    void runReconcileSweep() { c.sweep.run(); }
    void storeOwnPaneEdit(const Workspace& ws) { c.edits.storeOwnPaneEdit(ws); }
    void checkDrift(const AXElement& element, const Uuid& id) { c.drift.checkDrift(element, id); }
    void refreshChromeVisibility() { c.guard.refresh(); }
    void moveShownWorkspace(const Uuid& id, const Rect& to, bool recordHome) {
        c.follower.moveShownWorkspace(id, to, recordHome);
    }
    bool windowsAlreadyReturned(const Rect& to, const Workspace& ws) {
        return c.homeOffers.windowsAlreadyReturned(to, ws);
    }
    std::vector<Rect> managedWindowFramesAX(const Workspace& ws) { return c.managedWindowFramesAX(ws); }
    void presentHomeOffer(const std::vector<WorkspaceController::HomeOffer>& offers) { c.homeOffers.present(offers); }
    void scheduleHomeOfferRecheck(const std::vector<WorkspaceController::HomeOffer>& offers) {
        c.homeOffers.scheduleRecheck(offers);
    }

    // ------------------------------------------------------------------ geometry and placement
    std::string screensLogSummary() const { return c.displays.screensLogSummary(); }
    std::optional<uint32_t> displayID(const Rect& axRect) const { return c.displays.displayID(axRect); }
    std::vector<Bytes> appIcons(const Workspace& ws) const { return c.appIcons(ws); }

    std::vector<Rect> tileRects(const Workspace& ws) { return c.tiling.tileRects(ws).second; }
    bool fullScreenPulseRunning() const { return c.fullScreen.isPulsing(); }
    int placementGuardCount() const { return c.tiling.guardDepth(); }
    const std::map<Uuid, TimeInterval>& awaitingDocument() const { return c.show.awaitingDocuments(); }
    const std::map<Uuid, std::set<std::string>>& pendingLaunches() const { return c.show.pendingLaunches(); }

    WorkspaceController::PlacementReport placeWindows(const Workspace& ws, bool quiet = false) {
        return c.tiling.placeWindows(ws, quiet, false);
    }
    // A quiet tiling pass that asks for minimum-size learning afterwards.
    void placeWindowsLearning(const Workspace& ws) { c.tiling.placeWindows(ws, true, true); }
    void scheduleDividerReconcile(const Uuid& id) { c.dividers.scheduleReconcile(id); }
    AXWindowController::PlacementOutcome placeWindow(const AXElement& window, const Rect& rect) {
        return c.tiling.placeWindow(window, rect, "App");
    }
    size_t pendingSecondPhases() const { return c.tiling.secondPhases(); }
    void showContainerFrame(const Workspace& ws) { c.show.showContainerFrame(ws); }
    Rect containerRect(const Workspace& ws) { return c.containerRect(ws); }
    bool solveThreeColumns(const Workspace& ws) { return c.columns.solveThreeColumns(ws); }
    bool threeColumnsOverflow(const Workspace& ws) { return c.columns.threeColumnsOverflow(ws); }
    std::map<Uuid, double> threeColumnsRefused(const Uuid& id) const { return c.columns.memory().refused(id); }
    int threeColumnsPasses(const Uuid& id) const { return c.columns.memory().passes(id); }
    bool reconcileFullScreenChrome(const Uuid& id) { return c.fullScreen.reconcile(id); }
    void inviteWindowlessApps(const Workspace& ws, bool reopen) { c.show.inviteWindowlessApps(ws, reopen); }
    size_t pendingSnaps() const { return c.frames.pendingSnaps().pending().size(); }
    size_t pendingPersists() const { return c.frames.pendingPersists().pending().size(); }
    const std::map<Uuid, std::set<uint32_t>>& ownChooserWindowIDs() const { return c.choosers.ownChooserWindowIDs(); }

    // ------------------------------------------------------------------ shown workspaces
    // Puts a workspace up as a finished show leaves it: a session with its chrome prepared and
    // in front, the first free manageable window of each running application bound to its pane,
    // the workspace active and front, the watches and observers following. (The show itself is
    // another change's; this lets the other concerns be tested meanwhile.)
    Session& putUp(const Uuid& id, const Rect& containerAX);
    // Drops a session the way a teardown ends it, without the teardown's other work.
    void dropSession(const Uuid& id);
};

}  // namespace tessane
