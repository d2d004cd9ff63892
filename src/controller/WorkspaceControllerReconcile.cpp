// Keeping panes filled after the first tiling: a closed tiled window frees its pane, and the
// sweep (ReconcileSweep) is told what it asks of the controller.
#include "controller/WorkspaceController.h"

#include "controller/NoticeChrome.h"
#include "model/Log.h"
#include "platform/Accessibility.h"

#include <algorithm>

namespace tessane {

// ----------------------------------------------------------------------------- closed windows

void WorkspaceController::handleManagedWindowDestroyed(const AXElement& element) {
    // A report about a window that still answers, or that is only too busy to answer in time,
    // is not a closed window: only an element the system no longer knows counts as gone.
    if (env.platform.accessibility->copyAttribute(element, ax::kRole).error != AXError::invalidUIElement) return;

    drift.forget(element);

    for (const auto& id : sessions.keys()) {
        auto* session = sessions.find(id);
        const auto it = std::find_if(session->elements.begin(), session->elements.end(),
                                     [&](const TrackedWindow& t) { return t.element == element; });
        if (it == session->elements.end()) continue;
        tiling.windows().remove(it->appID);
        session->elements.erase(it);
        Log::line("[Tessane] A tiled window was closed — its pane is free again.");
        queue.post(lifetime.guard([this, id] {
            if (!sessions.contains(id)) return;
            observers.rebuild();
            sweep.reconcileWorkspace(id);
        }));
        return;
    }
}

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
