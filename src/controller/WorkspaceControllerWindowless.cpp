// The document choosers of a workspace's applications, which count as its own windows.
#include "controller/WorkspaceController.h"

namespace tessane {

void WorkspaceController::noteOwnChooser(const AXElement& chooser, const Uuid& workspaceID) {
    if (const auto number = axController.windowNumber(chooser)) ownChooserWindowIDs[workspaceID].insert(*number);
}

}  // namespace tessane
