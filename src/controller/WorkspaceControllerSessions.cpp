// One session per shown workspace, with its chrome; the chrome reports the user's menu choices,
// rail drags and divider drags through its thirteen callbacks, bound here to the controller's
// operations for that workspace.
#include "controller/WorkspaceController.h"

#include "model/WorkspaceManager.h"
#include "platform/Applications.h"
#include "system/ExternalAppController.h"

namespace tessane {

std::unique_ptr<WorkspaceController::WorkspaceSession> WorkspaceController::makeSession(const Uuid& workspaceID) {
    stage.startWatchesIfNeeded();
    auto session = std::make_unique<WorkspaceSession>();
    session->chrome = env.makeChrome();

    // Each binding holds the controller weakly and the workspace id by value; none holds the
    // session or the chrome, so the chrome owns its callbacks without a cycle.
    const Uuid id = workspaceID;
    ContainerChromeCallbacks& cb = session->chrome->callbacks();
    cb.onRestore = lifetime.guard([this, id] { restoreLayout(id); });
    cb.onHide = lifetime.guard([this, id] { hideWorkspace(id); });
    cb.onMaximizeToggled = lifetime.guard([this, id] {
        if (const auto ws = manager.workspace(id)) raiser.activateFrontApp(*ws);
    });
    cb.onMoveToScreen = lifetime.guard([this, id](int screenIndex) { moveWorkspaceToDisplay(id, screenIndex); });
    cb.onFocusPane = lifetime.guard([this](int offset) { focusAdjacentPane(offset); });
    cb.onSolo = lifetime.guard([this] {
        if (solo.current())
            restoreFromSolo();
        else
            soloFocusedPane();
    });
    cb.onSaveLayout = lifetime.guard([this, id] { saveLayout(id); });
    cb.onResetWorkspace = lifetime.guard([this, id] { resetWorkspace(id); });
    cb.onRelease = lifetime.guard([this, id] { releaseWorkspace(id); });
    cb.onQuitApps = lifetime.guard([this, id] { closeWorkspaceApps(id); });
    cb.onContainerChanged = lifetime.guard([this, id](const Rect& containerAX) {
        if (auto* shown = sessions.find(id)) shown->containerAXRect = containerAX;
        frames.scheduleSnap(id);
        frames.schedulePersist(id);
        guard.pulse();
    });
    cb.onDividerDragBegan = lifetime.guard([this] {
        drag.setDraggingDivider(true);
        dividers.cancelSettle();
    });
    cb.onDividerCommitted = lifetime.guard([this, id](const std::vector<double>& ratios) {
        dividers.commit(ratios, id);
    });
    return session;
}

std::optional<WorkspaceController::FrontWorkspaceMenu> WorkspaceController::frontWorkspaceActionsMenu() {
    const auto& active = manager.activeWorkspaceID().get();
    if (!active) return std::nullopt;
    const auto ws = manager.workspace(*active);
    auto* session = sessions.find(*active);
    if (!ws || !session) return std::nullopt;
    return FrontWorkspaceMenu{ws->name, session->chrome->workspaceActionsMenu(ContainerChrome::MenuScope::menuBar)};
}

}  // namespace tessane
