#include "controller/DocumentChoosers.h"

#include "controller/ContainerChrome.h"
#include "controller/PaneMatChrome.h"
#include "controller/SoloMemory.h"
#include "model/WorkspaceManager.h"
#include "system/AXWindowController.h"
#include "system/ExternalAppController.h"

namespace tessane {

DocumentChoosers::DocumentChoosers(WorkspaceManager& manager, const SessionMap<WorkspaceSession>& sessions,
                                   ExternalAppController& apps, AXWindowController& axController,
                                   const SoloMemory& solo)
    : manager(manager), sessions(sessions), apps(apps), axController(axController), solo(solo) {}

void DocumentChoosers::noteOwnChooser(const AXElement& chooser, const Uuid& workspaceID) {
    if (const auto number = axController.windowNumber(chooser)) ownChoosers[workspaceID].insert(*number);
}

bool DocumentChoosers::workspaceHasChooserUp(const Workspace& workspace) {
    for (const auto& app : workspace.apps) {
        const auto running = apps.runningApplication(app.bundleIdentifier);
        if (!running || !running->isFinishedLaunching) continue;
        if (AXWindowController::selectPendingDialog(axController.windowInfos(running->pid))) return true;
    }
    return false;
}

void DocumentChoosers::updateLoadingChrome(const Uuid& workspaceID) {
    if (solo.owns(workspaceID)) return;  // the solo owns the chrome
    auto* session = sessions.find(workspaceID);
    const auto ws = manager.workspace(workspaceID);
    if (!session || !ws) return;
    const bool chooserUp = workspaceHasChooserUp(*ws);
    ContainerChrome& chrome = *session->chrome;
    chrome.paneMat().setShieldsHidden(chooserUp);
    if (chrome.dividersHidden() != chooserUp) {
        chrome.setDividersHidden(chooserUp);
        chrome.positionDividerPanels();
    }
}

}  // namespace tessane
