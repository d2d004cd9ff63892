// Keeping panes filled after the first tiling: the sweep (ReconcileSweep) is told what it asks
// of the controller.
#include "controller/WorkspaceController.h"

#include "controller/NoticeChrome.h"
#include "platform/Accessibility.h"

namespace tessane {

// ----------------------------------------------------------------------------------- the sweep

ReconcileSweep::Hooks WorkspaceController::sweepHooks() {
    ReconcileSweep::Hooks hooks;
    hooks.pruneDeadWindows = [this](const Uuid& workspaceID) { shownWorkspaces.pruneDeadWindows(workspaceID); };
    hooks.adoptionPaused = [this] {
        return raiser.isResurfacing() || drag.isDraggingDivider() || stage.isActive() ||
               !env.platform.accessibility->isProcessTrusted();
    };
    hooks.windowControlAway = [this] { return show.windowControlAway(true); };
    hooks.shownWorkspaceOwning = [this](const std::string& bundleID) { return shownWorkspaces.owning(bundleID); };
    hooks.stillLoading = [this](const Uuid& workspaceID) { return show.isStillLoading(workspaceID); };
    hooks.loadingChanged = [this](const Uuid& workspaceID) { choosers.updateLoadingChrome(workspaceID); };
    hooks.inviteWindowlessApps = [this](const Workspace& workspace) { show.inviteWindowlessApps(workspace, false); };
    hooks.closeNotice = [this] { notice->close(); };
    hooks.noteOwnChooser = [this](const AXElement& chooser, const Uuid& workspaceID) {
        choosers.noteOwnChooser(chooser, workspaceID);
    };
    hooks.windowsRebound = [this] { observers.rebuild(); };
    return hooks;
}

}  // namespace tessane
