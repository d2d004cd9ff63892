#include "shell/ControllerLinkTarget.h"

#include "controller/WorkspaceController.h"
#include "model/WorkspaceManager.h"

namespace tessane {

std::vector<Workspace> ControllerLinkTarget::workspaces() const { return manager_.workspaces().get(); }
bool ControllerLinkTarget::isShown(const Uuid& id) const { return controller_.session(id) != nullptr; }
bool ControllerLinkTarget::isSoloed() const { return controller_.currentSoloState().has_value(); }
// Links start shows with nothing to run once shown.
void ControllerLinkTarget::showWorkspace(const Uuid& id) { controller_.showWorkspace(id, nullptr); }
void ControllerLinkTarget::hideWorkspace(const Uuid& id) { controller_.hideWorkspace(id); }
void ControllerLinkTarget::hideActiveWorkspace() { controller_.hideActiveWorkspace(); }
void ControllerLinkTarget::summonWorkspace(const Uuid& id) { controller_.summonWorkspace(id); }
void ControllerLinkTarget::bringActiveWorkspaceToCurrentDisplay() { controller_.bringActiveWorkspaceToCurrentDisplay(); }
void ControllerLinkTarget::focusAdjacentPane(int offset) { controller_.focusAdjacentPane(offset); }
void ControllerLinkTarget::soloFocusedPane() { controller_.soloFocusedPane(); }
void ControllerLinkTarget::restoreFromSolo() { controller_.restoreFromSolo(); }

}  // namespace tessane
