// Still to come: the named commands, solo, pane focus, the switcher, and display changes. Each member logs one "not yet" line
// and does nothing.
#include "controller/WorkspaceController.h"

namespace tessane {

void WorkspaceController::summonWorkspace(const Uuid&) {
    notYet("summonWorkspace");
}

void WorkspaceController::bringActiveWorkspaceToCurrentDisplay() {
    notYet("bringActiveWorkspaceToCurrentDisplay");
}

void WorkspaceController::restoreLayout(const Uuid&) {
    notYet("restoreLayout");
}

void WorkspaceController::saveLayout(const Uuid&) {
    notYet("saveLayout");
}

void WorkspaceController::moveWorkspaceToDisplay(const Uuid&, int) {
    notYet("moveWorkspaceToDisplay");
}

void WorkspaceController::resetWorkspace(const Uuid&) {
    notYet("resetWorkspace");
}

void WorkspaceController::releaseWorkspace(const Uuid&) {
    notYet("releaseWorkspace");
}

void WorkspaceController::closeWorkspaceApps(const Uuid&) {
    notYet("closeWorkspaceApps");
}

void WorkspaceController::focusAdjacentPane(int) {
    notYet("focusAdjacentPane");
}

void WorkspaceController::soloFocusedPane() {
    notYet("soloFocusedPane");
}

void WorkspaceController::restoreFromSolo() {
    notYet("restoreFromSolo");
}

void WorkspaceController::advanceSwitcher(int) {
    notYet("advanceSwitcher");
}

void WorkspaceController::commitSwitcher() {
    notYet("commitSwitcher");
}

WorkspaceController::PaneFitReport WorkspaceController::paneFitReport() {
    notYet("paneFitReport");
    return {};
}

void WorkspaceController::handleTopologyChange(const std::optional<std::string>&, const std::optional<std::string>&) {
    notYet("handleTopologyChange");
}

void WorkspaceController::applySolo(const Uuid&, const Workspace&, WorkspaceSession&) {
    notYet("applySolo");
}

std::vector<WorkspaceSwitcherItem> WorkspaceController::switcherItems() const {
    notYet("switcherItems");
    return {};
}

void WorkspaceController::startSwitcherFlagsMonitor() {
    notYet("startSwitcherFlagsMonitor");
}

void WorkspaceController::stopSwitcherFlagsMonitor() {
    notYet("stopSwitcherFlagsMonitor");
}

}  // namespace tessane
