// The end of a shown workspace's session, and the deletion of a workspace.
#include "controller/WorkspaceController.h"

#include "controller/NoticeChrome.h"
#include "controller/TipsChrome.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"

namespace tessane {

void WorkspaceController::tearDownSession(const Uuid& workspaceID, bool persistFrame) {
    auto* session = sessions.find(workspaceID);
    if (!session) return;

    choosers.forget(workspaceID);
    show.forget(workspaceID);
    solo.forget(workspaceID);  // no window moves
    if (persistFrame)
        frames.flush(workspaceID);
    else
        frames.cancelPersist(workspaceID);

    session->chrome->orderOut();
    // One tips card and one notice card serve every workspace: whatever they show goes too.
    if (workspaceTips->hasPanel()) workspaceTips->close();
    notice->close();

    // Only this workspace's pending work stops. The enforcement and divider-settle steps are kept
    // in one slot for whichever workspace asked last: they are cancelled only when no other
    // workspace is shown (they can then only be this one's); otherwise they run and find this
    // workspace gone.
    frames.cancelSnap(workspaceID);
    dividers.forget(workspaceID, sessions.size() == 1);
    gestures.forget(workspaceID, sessions.size() == 1);
    sweep.forget(workspaceID);

    tiling.standDown();
    sessions.take(workspaceID);  // the chrome goes with it
    tiling.notePanesChanged();
    shownWorkspaces.publishNames();
    stage.stopWatchesIfIdle();
    observers.rebuild();
    if (sessions.empty()) guard.stop();
}

void WorkspaceController::deleteWorkspace(const Uuid& id) {
    const bool wasActive = manager.activeWorkspaceID().get() == id;
    Log::line("[Tessane] Delete workspace requested: " + shownWorkspaces.logName(id) +
              " — deletedWasActive=" + (wasActive ? "true" : "false"));
    tearDownSession(id, false);
    if (wasActive) shownWorkspaces.promoteFront();
    Log::line("[Tessane] Delete: session teardown performed");
    manager.deleteWorkspace(id);
    Log::line("[Tessane] Delete complete — activeWorkspaceID=" +
              shownWorkspaces.logName(manager.activeWorkspaceID().get()) +
              ", lastShownWorkspaceID=" + shownWorkspaces.logName(manager.lastShownWorkspaceID().get()));
}

}  // namespace tessane
