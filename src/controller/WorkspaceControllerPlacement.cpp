// What the tiling pass asks of the controller around it (the Stage Manager, the three-column
// fold, the container and its displays, the documents, the chrome's ratios), and the one look at
// the window list that tells a window in native fullscreen the Accessibility calls can't see.
#include "controller/WorkspaceController.h"

#include "controller/NoticeChrome.h"
#include "controller/WorkspaceRules.h"
#include "platform/Screens.h"
#include "platform/WindowList.h"

#include <algorithm>
#include <cmath>

namespace tessane {

namespace {

constexpr double kFullScreenMatchSlack = 2;

}  // namespace

PlacementPass::Hooks WorkspaceController::placementHooks() {
    PlacementPass::Hooks hooks;
    hooks.stageManagerActive = [this] { return stage.isActive(); };
    hooks.foldThreeColumns = [this](const Workspace& ws) {
        return columns.applyThreeColumnsFold(ws, std::nullopt, false);
    };
    hooks.containerRect = [this](const Workspace& ws) { return currentContainerAXRect(ws); };
    hooks.displayID = [this](const Rect& rect) { return displays.displayID(rect); };
    hooks.hasNativeFullScreenWindow = [this](Pid pid) { return appHasNativeFullScreenWindow(pid); };
    hooks.windowControlAway = [this] { return show.windowControlAway(true); };
    hooks.rememberDocument = [this](const AXElement& window, const ManagedApp& app) { documents.remember(window, app); };
    hooks.siblingPanes = [this](const ManagedApp& app) { return documents.siblingPanes(app); };
    hooks.documentAwaited = [this](const Uuid& appID) { return show.documentAwaited(appID); };
    hooks.documentFound = [this](const Uuid& appID) { show.documentFound(appID); };
    hooks.windowsRebound = [this] { observers.rebuild(); };
    hooks.learnMinimums = [this](const Uuid& workspaceID) { dividers.scheduleLearn(workspaceID); };
    hooks.showRatios = [this](const Workspace& workspace, const std::vector<double>& effective) {
        const auto chromeRatios =
            workspace_rules::isThreeColumns(workspace) ? workspace_rules::threeColumnsRatios(workspace) : effective;
        if (show.holdRatios(workspace.id, chromeRatios)) return;  // handed over once the chrome is up
        if (auto* session = sessions.find(workspace.id))
            session->chrome->syncRatios(chromeRatios);
    };
    return hooks;
}

bool WorkspaceController::appHasNativeFullScreenWindow(Pid pid) const {
    const auto list = env.platform.windowList->windows(WindowList::Option::allWindows);
    if (!list) return false;
    std::vector<Size> fullSizes;
    for (const auto& screen : env.platform.screens->screens()) fullSizes.push_back(screen.frame.size);
    for (const auto& entry : *list) {
        if (entry.ownerPid != pid || entry.layer != 0) continue;
        for (const auto& full : fullSizes)
            if (std::abs(entry.bounds.width() - full.width) < kFullScreenMatchSlack &&
                std::abs(entry.bounds.height() - full.height) < kFullScreenMatchSlack)
                return true;
    }
    return false;
}

}  // namespace tessane
