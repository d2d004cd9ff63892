// Still to come: hiding, teardown and the front order, quit and launch recovery, resurfacing. Each member logs one "not yet" line
// and does nothing.
#include "controller/WorkspaceController.h"

namespace tessane {

void WorkspaceController::hideWorkspace(const Uuid&) {
    notYet("hideWorkspace");
}

void WorkspaceController::hideActiveWorkspace() {
    notYet("hideActiveWorkspace");
}

void WorkspaceController::hideAllWorkspaces() {
    notYet("hideAllWorkspaces");
}

void WorkspaceController::deleteWorkspace(const Uuid&) {
    notYet("deleteWorkspace");
}

void WorkspaceController::recoverHiddenAppsFromPreviousRun() {
    notYet("recoverHiddenAppsFromPreviousRun");
}

void WorkspaceController::unhideAppsTessaneHid(UnhideOccasion) {
    notYet("unhideAppsTessaneHid");
}

void WorkspaceController::rememberAllDocuments() {
    notYet("rememberAllDocuments");
}

std::vector<Uuid> WorkspaceController::switcherOrder(const std::vector<Uuid>&, const std::vector<Uuid>&, const std::optional<Uuid>&) {
    notYet("switcherOrder");
    return {};
}

std::vector<Uuid> WorkspaceController::workspacesToSwapOut(const Uuid&, uint32_t, const std::vector<std::pair<Uuid, std::optional<uint32_t>>>&) {
    notYet("workspacesToSwapOut");
    return {};
}

std::vector<std::string> WorkspaceController::resurfaceRaiseOrder(const std::vector<std::string>&, const std::optional<std::string>&) {
    notYet("resurfaceRaiseOrder");
    return {};
}

std::optional<int> WorkspaceController::adjacentPaneIndex(std::optional<int>, int, int) {
    notYet("adjacentPaneIndex");
    return {};
}

Workspace WorkspaceController::restoredToCheckpoint(const Workspace&, const std::optional<std::string>&) {
    notYet("restoredToCheckpoint");
    return {};
}

void WorkspaceController::promoteFrontWorkspace() {
    notYet("promoteFrontWorkspace");
}

std::string WorkspaceController::workspaceLogName(const std::optional<Uuid>&) const {
    notYet("workspaceLogName");
    return {};
}

void WorkspaceController::tearDownSession(const Uuid&, bool) {
    notYet("tearDownSession");
}

void WorkspaceController::bringForwardApps(const Workspace&) {
    notYet("bringForwardApps");
}

bool WorkspaceController::confirmQuitApps(const std::string&, int) {
    notYet("confirmQuitApps");
    return {};
}

void WorkspaceController::scheduleUnhideSettle(const std::set<std::string>&, int) {
    notYet("scheduleUnhideSettle");
}

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
