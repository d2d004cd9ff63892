// Still to come: the seed of a new workspace from the windows on screen. It logs one "not yet"
// line and does nothing.
#include "controller/WorkspaceController.h"

namespace tessane {

std::vector<ManagedApp> WorkspaceController::seedAppsFromCurrentWindows(int) {
    notYet("seedAppsFromCurrentWindows");
    return {};
}

}  // namespace tessane
