// Still to come: hiding, teardown and the front order, quit and launch recovery, resurfacing. Each member logs one "not yet" line
// and does nothing.
#include "controller/WorkspaceController.h"

namespace tessane {

void WorkspaceController::checkAllWindowsStayed(const Uuid&) {
    notYet("checkAllWindowsStayed");
}

void WorkspaceController::activateInSequence(const std::vector<RunningApplication>&, size_t, const Uuid&) {
    notYet("activateInSequence");
}

void WorkspaceController::resurfaceWorkspace(const Workspace&, const std::optional<std::string>&) {
    notYet("resurfaceWorkspace");
}

}  // namespace tessane
