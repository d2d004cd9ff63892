#include "controller/WorkspaceSessions.h"

#include "controller/AppIcons.h"
#include "controller/ChromeGuard.h"
#include "controller/ContainerChrome.h"
#include "controller/ContainerFrameRecord.h"
#include "controller/ControllerObservers.h"
#include "controller/DisplaySet.h"
#include "controller/DividerKeeper.h"
#include "controller/DocumentChoosers.h"
#include "controller/FrameKeeper.h"
#include "controller/NoticeChrome.h"
#include "controller/PaneEdits.h"
#include "controller/PaneMatChrome.h"
#include "controller/PlacementPass.h"
#include "controller/ReconcileSweep.h"
#include "controller/ShowSequence.h"
#include "controller/ShownWorkspaces.h"
#include "controller/SoloMemory.h"
#include "controller/StageManagerGate.h"
#include "controller/TipsChrome.h"
#include "controller/UserMoves.h"
#include "controller/WindowDrag.h"
#include "controller/WorkspaceRaiser.h"
#include "controller/WorkspaceRules.h"
#include "layout/ScreenGeometry.h"
#include "model/WorkspaceManager.h"

#include <utility>

namespace tessane {

WorkspaceSessions::WorkspaceSessions(std::function<std::unique_ptr<ContainerChrome>()> makeChrome, Opening opening,
                                     Ending ending, Hooks hooks)
    : makeChrome(std::move(makeChrome)),
      opening(opening),
      ending(ending),
      hooks(std::move(hooks)),
      sessions(opening.workspaces.sessions()) {}

std::unique_ptr<WorkspaceSessions::WorkspaceSession> WorkspaceSessions::makeSession(const Uuid& workspaceID) {
    opening.stage.startWatchesIfNeeded();
    auto session = std::make_unique<WorkspaceSession>();
    session->chrome = makeChrome();

    // Each binding holds this part weakly and the workspace id by value; none holds the session
    // or the chrome, so the chrome owns its callbacks without a cycle.
    const Uuid id = workspaceID;
    ContainerChromeCallbacks& cb = session->chrome->callbacks();
    cb.onRestore = lifetime.guard([this, id] { hooks.restoreLayout(id); });
    cb.onHide = lifetime.guard([this, id] { hooks.hideWorkspace(id); });
    cb.onMaximizeToggled = lifetime.guard([this, id] {
        if (const auto ws = opening.manager.workspace(id)) opening.raiser.activateFrontApp(*ws);
    });
    cb.onMoveToScreen = lifetime.guard([this, id](int screenIndex) { hooks.moveWorkspaceToDisplay(id, screenIndex); });
    cb.onFocusPane = lifetime.guard([this](int offset) { hooks.focusAdjacentPane(offset); });
    cb.onSolo = lifetime.guard([this] {
        if (opening.solo.current())
            hooks.restoreFromSolo();
        else
            hooks.soloFocusedPane();
    });
    cb.onSaveLayout = lifetime.guard([this, id] { hooks.saveLayout(id); });
    cb.onResetWorkspace = lifetime.guard([this, id] { hooks.resetWorkspace(id); });
    cb.onRelease = lifetime.guard([this, id] { hooks.releaseWorkspace(id); });
    cb.onQuitApps = lifetime.guard([this, id] { hooks.closeWorkspaceApps(id); });
    cb.onContainerChanged = lifetime.guard([this, id](const Rect& containerAX) {
        if (auto* shown = sessions.find(id)) shown->containerAXRect = containerAX;
        opening.frames.scheduleSnap(id);
        opening.frames.schedulePersist(id);
        opening.guard.pulse();
    });
    cb.onDividerDragBegan = lifetime.guard([this] {
        opening.drag.setDraggingDivider(true);
        opening.dividers.cancelSettle();
    });
    cb.onDividerCommitted = lifetime.guard([this, id](const std::vector<double>& ratios) {
        opening.dividers.commit(ratios, id);
    });
    return session;
}

void WorkspaceSessions::openSession(const Workspace& workspace) {
    opening.manager.setActiveWorkspace(workspace.id);
    opening.guard.pulse();
    if (!sessions.contains(workspace.id)) sessions.insert(workspace.id, makeSession(workspace.id));
    opening.workspaces.publishNames();
    opening.edits.noteTiled(workspace);
    opening.workspaces.stampFront(workspace.id);
    opening.solo.forget(workspace.id);
}

void WorkspaceSessions::prepareChrome(ContainerChrome& chrome, const Workspace& workspace) {
    const std::vector<double> ratios = workspace_rules::isThreeColumns(workspace)
                                           ? workspace_rules::threeColumnsRatios(workspace)
                                           : workspace_rules::storedRatios(workspace);
    if (!chrome.hasHeaderPanel()) chrome.makeRailPanel();
    chrome.setCurrentTitle(workspace.name);
    chrome.setCurrentLayoutType(workspace_rules::geometryType(workspace));
    chrome.setCurrentAppCount(static_cast<int>(workspace.apps.size()));
    chrome.setCurrentRatios(ratios);
    chrome.setCurrentAppIcons(opening.icons.forWorkspace(workspace));
    chrome.setIsMaximized(false);
    chrome.setPreMaximizeFrame(std::nullopt);
    chrome.setDividersHidden(false);
    chrome.paneMat().setShieldsHidden(false);
    chrome.setIsSoloed(false);
}

WorkspaceSessions::WorkspaceSession& WorkspaceSessions::putSessionAt(const Workspace& workspace, const Rect& target) {
    if (!sessions.contains(workspace.id)) {
        auto made = makeSession(workspace.id);
        // Put up without a show: the chrome is readied exactly as a show readies it.
        prepareChrome(*made->chrome, workspace);
        sessions.insert(workspace.id, std::move(made));
    }
    opening.workspaces.publishNames();
    WorkspaceSession& session = *sessions.find(workspace.id);
    session.containerAXRect = target;
    opening.manager.update(rememberingContainerFrame(workspace, target, opening.displays.currentTopology()));
    if (session.chrome->hasHeaderPanel()) {
        session.chrome->setContainerCocoaRect(
            ScreenGeometry::screenRectFromAX(target, ScreenGeometry::primaryDisplayHeight(opening.screens)));
        session.chrome->applyGeometry(true);
    }
    return session;
}

void WorkspaceSessions::tearDownSession(const Uuid& workspaceID, bool persistFrame) {
    auto* session = sessions.find(workspaceID);
    if (!session) return;

    ending.choosers.forget(workspaceID);
    ending.show.forget(workspaceID);
    opening.solo.forget(workspaceID);  // no window moves
    if (persistFrame)
        opening.frames.flush(workspaceID);
    else
        opening.frames.cancelPersist(workspaceID);

    session->chrome->orderOut();
    // One tips card and one notice card serve every workspace: whatever they show goes too.
    if (ending.tips.hasPanel()) ending.tips.close();
    ending.notice.close();

    // Only this workspace's pending work stops. The enforcement and divider-settle steps are kept
    // in one slot for whichever workspace asked last: they are cancelled only when no other
    // workspace is shown (they can then only be this one's); otherwise they run and find this
    // workspace gone.
    opening.frames.cancelSnap(workspaceID);
    opening.dividers.forget(workspaceID, sessions.size() == 1);
    ending.gestures.forget(workspaceID, sessions.size() == 1);
    ending.sweep.forget(workspaceID);

    ending.tiling.standDown();
    sessions.take(workspaceID);  // the chrome goes with it
    ending.tiling.notePanesChanged();
    opening.workspaces.publishNames();
    opening.stage.stopWatchesIfIdle();
    ending.observers.rebuild();
    if (sessions.empty()) opening.guard.stop();
}

}  // namespace tessane
