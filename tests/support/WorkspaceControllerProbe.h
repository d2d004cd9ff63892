#pragma once

#include "controller/WindowEvents.h"
#include "controller/WorkspaceController.h"
#include "controller/WorkspaceSessions.h"
#include "model/WorkspaceManager.h"
#include "system/AXAppFocusObserver.h"
#include "system/AXWindowObserver.h"
#include "system/ExternalAppController.h"
#include "system/StageManagerWatcher.h"

#include <optional>
#include <set>
#include <vector>

namespace tessane {

// Test access to the controller's parts. Tests drive the controller through the desktop and its
// public commands where they can; the probe reads what they cannot see and calls the parts' steps
// a case isolates. It is given the desktop and the workspace manager the controller was built on.
struct WorkspaceControllerProbe {
    WorkspaceController& c;
    Platform platform;
    WorkspaceManager& manager;

    using Session = WorkspaceController::WorkspaceSession;

    WorkspaceControllerParts parts() const { return c.parts(); }
    using Tracked = WorkspaceController::TrackedWindow;

    // ------------------------------------------------------------------ reading the state
    size_t sessionCount() const { return parts().shown.sessions().size(); }
    Session* session(const Uuid& id) const { return parts().shown.sessions().find(id); }
    std::vector<Uuid> sessionOrder() const { return parts().shown.sessions().keys(); }
    uint64_t frontSequence() const { return parts().shown.frontSequence(); }
    const std::vector<Uuid>& recentWorkspaceIDs() const { return parts().shown.recentWorkspaceIDs(); }
    const std::optional<std::string>& lastActivatedBundleID() const {
        return parts().shown.lastActivatedBundleID();
    }
    bool stageManagerActive() const { return parts().stage.isActive(); }
    TimeInterval lastStageManagerCheck() const { return parts().stage.lastCheck(); }
    bool hasStageManagerWatcher() const { return parts().stage.watcher() != nullptr; }
    const StageManagerWatcher* stageManagerWatcher() const { return parts().stage.watcher(); }
    bool hasStageManagerPointerMonitor() const { return parts().stage.hasPointerMonitor(); }
    bool guardTimerRunning() const { return parts().guard.isPulsing(); }
    const RepeatingTimer* guardTimer() const { return parts().guard.timer(); }
    TimeInterval guardStopAt() const { return parts().guard.stopAt(); }
    const std::set<Pid>& observedPids() const { return parts().observers.observedPids(); }
    const std::vector<std::pair<Pid, AXElement>>& observedWindows() const { return parts().observers.observedWindows(); }
    const std::set<Pid>& observedFocusPids() const { return parts().observers.observedFocusPids(); }
    std::vector<Pid> windowObserverPids() const { return parts().observers.windowObserver().observedPids(); }
    uint64_t focusObserverGeneration() const { return parts().observers.appFocusObserver().generation(); }
    int reconcileSweepAttempts() const { return parts().sweep.attempts(); }
    bool reconcileSweepQueued() const { return parts().sweep.isQueued(); }
    int64_t placementGeneration() const { return parts().tiling.generation(); }
    std::optional<std::string> cachedTopology() const { return parts().displays.cachedTopology(); }
    bool cachedTopologyValid() const { return parts().displays.topologyKnown(); }
    TimeInterval topologyFluxUntil() const { return parts().displays.fluxUntil(); }
    std::optional<AXElement> cachedWindow(const Uuid& appID, Pid pid) const { return parts().tiling.windows().window(appID, pid); }
    std::set<Uuid> cachedAppIDs() const { return parts().tiling.windows().appIDs(); }
    uint64_t paneCachePrunes() const { return parts().tiling.cachePrunes(); }
    void clearWindowCache() { parts().tiling.windows() = {}; }
    const std::map<Uuid, std::string>& tiledSignature() const { return parts().edits.tiledSignature(); }
    bool isPresentingBlockedPrompt() const { return parts().blockedPrompt.isUp(); }

    // Per-workspace bookkeeping and pending work, read and written by the teardown's tests.
    auto& pendingLaunches() { return parts().show.pendingLaunches(); }
    auto& ownChooserWindowIDs() { return parts().choosers.ownChooserWindowIDs(); }
    auto& loadingWorkspaces() { return parts().sweep.loadingWorkspaces(); }
    auto& tidiedChoosers() { return parts().sweep.tidiedChoosers(); }
    PendingPerWorkspace& persists() { return parts().frames.pendingPersists(); }
    PendingPerWorkspace& snaps() { return parts().frames.pendingSnaps(); }
    PendingPerWorkspace& learns() { return parts().dividers.pendingLearns(); }
    auto& enforceSnapWorkItem() { return parts().gestures.enforceWorkItem(); }
    auto& dividerSettleWorkItem() { return parts().dividers.settleWorkItem(); }
    auto& unhideSettleWorkItem() { return parts().quitGuards.unhideSettleWorkItem(); }
    WindowDrag& drag() { return parts().drag; }
    ThreeColumnsMemory& threeColumns() { return parts().columns.memory(); }
    DriftMemory& drift() { return parts().drift.memory(); }
    SoloMemory& solo() { return parts().solo; }
    const std::optional<std::string>& lastForeignWindow() const { return parts().guard.lastForeignWindow(); }
    bool homeOfferRecheckPending() const { return parts().homeOffers.recheckPending(); }
    bool isResurfacing() const { return parts().raiser.isResurfacing(); }

    // ------------------------------------------------------------------ setting the state
    void setDraggingDivider(bool on) { parts().drag.setDraggingDivider(on); }
    void setPlacementGuardCount(int count) { parts().tiling.setGuardDepth(count); }
    void setResurfacing(bool on) { parts().raiser.setResurfacing(on); }
    void setLastActivatedBundleID(std::optional<std::string> id) {
        parts().shown.setLastActivatedBundleID(std::move(id));
    }
    void setTopologyFluxUntil(TimeInterval t) { parts().displays.setFluxUntil(t); }
    void queueReconcileSweep(std::shared_ptr<WorkItem> item) { parts().sweep.replaceQueued(std::move(item)); }

    // ------------------------------------------------------------------ private operations
    void pulseChromeGuard() { parts().guard.pulse(); }
    void rebuildWindowObserver() { parts().observers.rebuild(); }
    bool hasEmptyPane() { return parts().sweep.hasEmptyPane(); }
    void updateLoadingChrome(const Uuid& id) { parts().choosers.updateLoadingChrome(id); }
    void rememberDocuments(const Uuid& id) { parts().documents.rememberAll(id); }
    void rememberDocument(const AXElement& window, const ManagedApp& app) { parts().documents.remember(window, app); }
    std::vector<ManagedApp> siblingPanes(const ManagedApp& app) const { return parts().documents.siblingPanes(app); }
    std::vector<WorkspaceController::RememberedDocument> rememberedDocuments(const std::vector<ManagedApp>& apps) const {
        return parts().documents.remembered(apps);
    }
    void maybeRefreshStageManagerState() { parts().stage.maybeRefresh(); }
    void startStageManagerWatchesIfNeeded() { parts().stage.startWatchesIfNeeded(); }
    void stopStageManagerWatchesIfIdle() { parts().stage.stopWatchesIfIdle(); }
    std::optional<Workspace> shownWorkspaceOwning(const std::string& bundleID) const {
        return parts().shown.owning(bundleID);
    }
    void pruneDeadTrackedWindows(const Uuid& id) { parts().shown.pruneDeadWindows(id); }
    std::optional<std::string> focusedWorkspaceAppBundleID(const Workspace& ws) const {
        return parts().shown.focusedAppBundleID(ws);
    }
    std::optional<Uuid> focusedPaneAppID(const Workspace& ws) const {
        return parts().shown.focusedPaneAppID(ws, *parts().shown.sessions().find(ws.id));
    }
    std::optional<std::string> currentTopology() { return parts().displays.currentTopology(); }
    void handleTopologyChange(const std::optional<std::string>& previous, const std::optional<std::string>& current,
                              bool reframed = false) {
        parts().follower.handleTopologyChange(previous, current, reframed);
    }
    void tearDownSession(const Uuid& id, bool persistFrame) {
        parts().workspaceSessions.tearDownSession(id, persistFrame);
    }
    void promoteFrontWorkspace() { parts().shown.promoteFront(); }
    std::string workspaceLogName(const std::optional<Uuid>& id) const { return parts().shown.logName(id); }
    void bringForwardApps(const Workspace& ws) { parts().raiser.bringForwardApps(ws); }
    void resurfaceWorkspace(const Workspace& ws, const std::optional<std::string>& triggeredBy) {
        parts().raiser.resurfaceWorkspace(ws, triggeredBy);
    }
    void scheduleUnhideSettle(const std::set<std::string>& ids, int attempt) {
        parts().quitGuards.scheduleUnhideSettle(ids, attempt);
    }
    bool confirmQuitApps(const std::string& name, int count) { return parts().quitGuards.confirmQuitApps(name, count); }
    void handleWindowEvent(const AXElement& element, const std::string& notification) {
        parts().windowEvents.handle(element, notification);
    }
    void runReconcileSweep() { parts().sweep.run(); }
    void storeOwnPaneEdit(const Workspace& ws) { parts().edits.storeOwnPaneEdit(ws); }
    void checkDrift(const AXElement& element, const Uuid& id) { parts().drift.checkDrift(element, id); }
    void refreshChromeVisibility() { parts().guard.refresh(); }
    void moveShownWorkspace(const Uuid& id, const Rect& to, bool recordHome) {
        parts().follower.moveShownWorkspace(id, to, recordHome);
    }
    bool windowsAlreadyReturned(const Rect& to, const Workspace& ws) {
        return parts().homeOffers.windowsAlreadyReturned(to, ws);
    }
    void presentHomeOffer(const std::vector<WorkspaceController::HomeOffer>& offers) { parts().homeOffers.present(offers); }
    void scheduleHomeOfferRecheck(const std::vector<WorkspaceController::HomeOffer>& offers) {
        parts().homeOffers.scheduleRecheck(offers);
    }

    // ------------------------------------------------------------------ geometry and placement
    std::string screensLogSummary() const { return parts().displays.screensLogSummary(); }
    std::optional<uint32_t> displayID(const Rect& axRect) const { return parts().displays.displayID(axRect); }
    std::vector<Bytes> appIcons(const Workspace& ws) const { return parts().icons.forWorkspace(ws); }

    std::vector<Rect> tileRects(const Workspace& ws) { return parts().tiling.tileRects(ws).second; }
    bool fullScreenPulseRunning() const { return parts().fullScreen.isPulsing(); }
    int placementGuardCount() const { return parts().tiling.guardDepth(); }
    const std::map<Uuid, TimeInterval>& awaitingDocument() const { return parts().show.awaitingDocuments(); }
    const std::map<Uuid, std::set<std::string>>& pendingLaunches() const { return parts().show.pendingLaunches(); }

    WorkspaceController::PlacementReport placeWindows(const Workspace& ws, bool quiet = false) {
        return parts().tiling.placeWindows(ws, quiet, false);
    }
    // A quiet tiling pass that asks for minimum-size learning afterwards.
    void placeWindowsLearning(const Workspace& ws) { parts().tiling.placeWindows(ws, true, true); }
    void scheduleDividerReconcile(const Uuid& id) { parts().dividers.scheduleReconcile(id); }
    AXWindowController::PlacementOutcome placeWindow(const AXElement& window, const Rect& rect) {
        return parts().tiling.placeWindow(window, rect, "App");
    }
    size_t pendingSecondPhases() const { return parts().tiling.secondPhases(); }
    void showContainerFrame(const Workspace& ws) { parts().show.showContainerFrame(ws); }
    Rect containerRect(const Workspace& ws) { return parts().displays.containerRect(ws); }
    bool solveThreeColumns(const Workspace& ws) { return parts().columns.solveThreeColumns(ws); }
    bool threeColumnsOverflow(const Workspace& ws) { return parts().columns.threeColumnsOverflow(ws); }
    std::map<Uuid, double> threeColumnsRefused(const Uuid& id) const { return parts().columns.memory().refused(id); }
    int threeColumnsPasses(const Uuid& id) const { return parts().columns.memory().passes(id); }
    bool reconcileFullScreenChrome(const Uuid& id) { return parts().fullScreen.reconcile(id); }
    void inviteWindowlessApps(const Workspace& ws, bool reopen) { parts().show.inviteWindowlessApps(ws, reopen); }
    size_t pendingSnaps() const { return parts().frames.pendingSnaps().pending().size(); }
    size_t pendingPersists() const { return parts().frames.pendingPersists().pending().size(); }
    const std::map<Uuid, std::set<uint32_t>>& ownChooserWindowIDs() const { return parts().choosers.ownChooserWindowIDs(); }

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
