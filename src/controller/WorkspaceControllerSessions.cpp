// The shown workspaces' chrome and the commands it asks for: what its menu and keys are bound to
// (see WorkspaceSessions), and the front workspace's menu for the menu bar.
#include "controller/WorkspaceController.h"

#include "model/WorkspaceManager.h"

namespace tessane {

WorkspaceSessions::Hooks WorkspaceController::sessionHooks() {
    WorkspaceSessions::Hooks hooks;
    hooks.restoreLayout = [this](const Uuid& id) { restoreLayout(id); };
    hooks.hideWorkspace = [this](const Uuid& id) { hideWorkspace(id); };
    hooks.moveWorkspaceToDisplay = [this](const Uuid& id, int screenIndex) { moveWorkspaceToDisplay(id, screenIndex); };
    hooks.focusAdjacentPane = [this](int offset) { focusAdjacentPane(offset); };
    hooks.soloFocusedPane = [this] { soloFocusedPane(); };
    hooks.restoreFromSolo = [this] { restoreFromSolo(); };
    hooks.saveLayout = [this](const Uuid& id) { saveLayout(id); };
    hooks.resetWorkspace = [this](const Uuid& id) { resetWorkspace(id); };
    hooks.releaseWorkspace = [this](const Uuid& id) { releaseWorkspace(id); };
    hooks.closeWorkspaceApps = [this](const Uuid& id) { closeWorkspaceApps(id); };
    return hooks;
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
