#include "controller/PaneEdits.h"

#include "controller/ContainerChrome.h"
#include "controller/PlacementPass.h"
#include "controller/ShowSequence.h"
#include "controller/ThreeColumnsFold.h"
#include "controller/WorkspaceRules.h"
#include "model/LayoutType.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"

namespace tessane {

PaneEdits::PaneEdits(MainQueue& queue, Shown shown, Hooks hooks)
    : queue(queue), shown(shown), hooks(std::move(hooks)) {}

void PaneEdits::noteTiled(const Workspace& workspace) { tiled[workspace.id] = workspace_rules::signature(workspace); }

void PaneEdits::storeOwnPaneEdit(const Workspace& workspace) {
    if (shown.sessions.contains(workspace.id)) noteTiled(workspace);
    shown.manager.update(workspace);
}

void PaneEdits::reactToListChange() {
    for (const auto& id : shown.sessions.keys()) {
        const auto ws = shown.manager.workspace(id);
        if (!ws) continue;
        const std::string now = workspace_rules::signature(*ws);
        auto it = tiled.find(id);
        if (it == tiled.end() || it->second == now) {
            tiled[id] = now;
            continue;
        }
        it->second = now;
        reactToPaneEdit(*ws);
    }
    std::erase_if(tiled, [this](const auto& entry) { return !shown.sessions.contains(entry.first); });
}

void PaneEdits::reactToPaneEdit(const Workspace& workspace) {
    const auto shortApps = shown.show.appsShortOfWindows(workspace, {});
    const auto required = layout_types::requiredApps(workspace.layout.type);
    // A workspace left with no applications has nothing to tile, whatever its layout allows.
    const bool countWrong = workspace.apps.empty() || (required && workspace.apps.size() != *required);
    if (countWrong || !shortApps.empty()) {
        Log::line("[Tessane] “" + workspace.name + "” was edited while shown and can no longer be tiled — withdrawing.");
        hooks.hideWorkspace(workspace.id);
        if (!shortApps.empty()) {
            const Uuid id = workspace.id;
            queue.post(lifetime.guard([this, id, shortApps] {
                shown.show.presentShortOfWindowsBlock(shortApps,
                                                      lifetime.guard([this, id] { hooks.showWorkspace(id); }));
            }));
        }
        return;
    }

    Log::line("[Tessane] “" + workspace.name + "” panes edited while shown — re-tiling.");
    shown.columns.beginOperation(workspace.id);
    if (auto* session = shown.sessions.find(workspace.id)) {
        ContainerChrome& chrome = *session->chrome;
        chrome.setCurrentAppCount(static_cast<int>(workspace.apps.size()));
        chrome.setCurrentLayoutType(workspace_rules::geometryType(workspace));
        chrome.setCurrentAppIcons(hooks.appIcons(workspace));
        if (workspace_rules::isThreeColumns(workspace))
            if (const auto ratios = workspace_rules::threeColumnsRatios(workspace); !ratios.empty())
                chrome.setCurrentRatios(ratios);
        chrome.refreshClickShield();
    }
    shown.tiling.placeWindows(workspace, false, true);
}

}  // namespace tessane
