// A shown workspace edited in the settings: re-tiled at once in its new arrangement, or
// withdrawn when that arrangement can no longer be tiled.
#include "controller/WorkspaceController.h"

#include "controller/WorkspaceRules.h"
#include "model/LayoutType.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"

namespace tessane {

void WorkspaceController::reactToPaneEdit(const Workspace& workspace) {
    const auto shortApps = show.appsShortOfWindows(workspace, {});
    const auto required = layout_types::requiredApps(workspace.layout.type);
    // A workspace left with no applications has nothing to tile, whatever its layout allows.
    const bool countWrong = workspace.apps.empty() || (required && workspace.apps.size() != *required);
    if (countWrong || !shortApps.empty()) {
        Log::line("[Tessane] “" + workspace.name + "” was edited while shown and can no longer be tiled — withdrawing.");
        hideWorkspace(workspace.id);
        if (!shortApps.empty()) {
            const Uuid id = workspace.id;
            queue.post(lifetime.guard([this, id, shortApps] {
                show.presentShortOfWindowsBlock(shortApps, lifetime.guard([this, id] { showWorkspace(id); }));
            }));
        }
        return;
    }

    Log::line("[Tessane] “" + workspace.name + "” panes edited while shown — re-tiling.");
    columns.beginOperation(workspace.id);
    if (auto* session = sessions.find(workspace.id)) {
        ContainerChrome& chrome = *session->chrome;
        chrome.setCurrentAppCount(static_cast<int>(workspace.apps.size()));
        chrome.setCurrentLayoutType(workspace_rules::geometryType(workspace));
        chrome.setCurrentAppIcons(appIcons(workspace));
        if (workspace_rules::isThreeColumns(workspace))
            if (const auto ratios = workspace_rules::threeColumnsRatios(workspace); !ratios.empty())
                chrome.setCurrentRatios(ratios);
        chrome.refreshClickShield();
    }
    tiling.placeWindows(workspace, false, true);
}

void WorkspaceController::storeOwnPaneEdit(const Workspace& workspace) {
    if (sessions.contains(workspace.id)) tiledSignature[workspace.id] = workspace_rules::signature(workspace);
    manager.update(workspace);
}

}  // namespace tessane
