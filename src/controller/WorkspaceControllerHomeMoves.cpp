// Moving a shown workspace's container (and its windows) to a new frame when the displays change.
#include "controller/WorkspaceController.h"

#include "controller/ContainerReach.h"
#include "controller/NoticeChrome.h"
#include "controller/WorkspaceRules.h"
#include "layout/DisplayResolver.h"
#include "layout/DisplayTopology.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"

namespace tessane {

void WorkspaceController::moveShownWorkspace(const Uuid& id, const Rect& target, bool recordHome) {
    auto* session = sessions.find(id);
    auto ws = manager.workspace(id);
    if (!session || !ws) return;
    session->containerAXRect = target;
    if (session->chrome->hasHeaderPanel()) {
        session->chrome->setContainerCocoaRect(
            ScreenGeometry::screenRectFromAX(target, ScreenGeometry::primaryDisplayHeight(*env.platform.screens)));
        session->chrome->applyGeometry(true);
    }
    manager.update(rememberingContainerFrame(*ws, target, recordHome ? displays.currentTopology() : std::nullopt));
    if (!env.platform.accessibility->isProcessTrusted()) return;
    if (solo.owns(id)) {
        Log::line("[Tessane] “" + ws->name + "”: moved by a display change while soloed — clearing the solo + re-tiling.");
        restoreFromSolo();
        return;
    }
    tiling.placeWindows(*ws, false, true);
}

}  // namespace tessane
