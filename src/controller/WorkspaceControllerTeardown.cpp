// The end of a shown workspace's session, the front order among the workspaces still shown, and
// the deletion of a workspace.
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
    publishShownWorkspaces();
    stage.stopWatchesIfIdle();
    observers.rebuild();
    if (sessions.empty()) guard.stop();
}

void WorkspaceController::promoteFrontWorkspace() {
    std::optional<Uuid> chosen;
    uint64_t best = 0;
    for (const auto& [id, session] : sessions) {
        if (chosen && (session->frontOrder < best || (session->frontOrder == best && id.string() < chosen->string())))
            continue;
        chosen = id;
        best = session->frontOrder;
    }
    manager.setActiveWorkspace(chosen);
    if (!chosen) return;
    stampFront(*chosen);
    const auto* session = sessions.find(*chosen);
    if (!stage.isActive() && session->fullScreenPids.empty()) session->chrome->orderFront();
}

std::string WorkspaceController::workspaceLogName(const std::optional<Uuid>& id) const {
    if (!id) return "none";
    const auto ws = manager.workspace(*id);
    return ws ? ws->name : "none";
}

void WorkspaceController::deleteWorkspace(const Uuid& id) {
    const bool wasActive = manager.activeWorkspaceID().get() == id;
    Log::line("[Tessane] Delete workspace requested: " + workspaceLogName(id) +
              " — deletedWasActive=" + (wasActive ? "true" : "false"));
    tearDownSession(id, false);
    if (wasActive) promoteFrontWorkspace();
    Log::line("[Tessane] Delete: session teardown performed");
    manager.deleteWorkspace(id);
    Log::line("[Tessane] Delete complete — activeWorkspaceID=" + workspaceLogName(manager.activeWorkspaceID().get()) +
              ", lastShownWorkspaceID=" + workspaceLogName(manager.lastShownWorkspaceID().get()));
}

}  // namespace tessane
