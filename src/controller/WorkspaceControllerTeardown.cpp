// The deletion of a workspace: its session ended (see WorkspaceSessions), then the workspace.
#include "controller/WorkspaceController.h"

#include "model/Log.h"
#include "model/WorkspaceManager.h"

namespace tessane {

void WorkspaceController::deleteWorkspace(const Uuid& id) {
    const bool wasActive = manager.activeWorkspaceID().get() == id;
    Log::line("[Tessane] Delete workspace requested: " + shownWorkspaces.logName(id) +
              " — deletedWasActive=" + (wasActive ? "true" : "false"));
    workspaceSessions.tearDownSession(id, false);
    if (wasActive) shownWorkspaces.promoteFront();
    Log::line("[Tessane] Delete: session teardown performed");
    manager.deleteWorkspace(id);
    Log::line("[Tessane] Delete complete — activeWorkspaceID=" +
              shownWorkspaces.logName(manager.activeWorkspaceID().get()) +
              ", lastShownWorkspaceID=" + shownWorkspaces.logName(manager.lastShownWorkspaceID().get()));
}

}  // namespace tessane
