// Bringing a workspace to the display the user works on: summon makes any workspace the active
// one (showing it first when needed) and brings it here; bring-here moves the active one. On its
// own display the container is only pulled onto the usable area; from another display it fills
// that display, and the chrome's Restore Size returns it to the pulled-on frame.
#include "controller/WorkspaceController.h"
#include "controller/ContainerFrameRecord.h"
#include "controller/WorkspaceRules.h"

#include "layout/DisplayResolver.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"

namespace tessane {

namespace {
}  // namespace

void WorkspaceController::summonWorkspace(const Uuid& id) {
    if (!manager.workspace(id)) return;
    if (stage.blocks(id, "[Tessane] Summon blocked — Stage Manager is enabled.",
                              [this, id] { summonWorkspace(id); }))
        return;
    if (sessions.contains(id)) {
        manager.setActiveWorkspace(id);
        shownWorkspaces.stampFront(id);
        bringActiveWorkspaceToCurrentDisplay();
        return;
    }
    showWorkspace(id, lifetime.guard([this] { bringActiveWorkspaceToCurrentDisplay(); }));
}

void WorkspaceController::bringActiveWorkspaceToCurrentDisplay() {
    const auto active = manager.activeWorkspaceID().get();
    const auto ws = active ? manager.workspace(*active) : std::nullopt;
    if (!ws) {
        Log::line("[Tessane] Bring to current display requested, but no active workspace — ignored.");
        return;
    }
    const Uuid id = ws->id;
    if (stage.blocks(id, "[Tessane] Bring Here blocked — Stage Manager is enabled.",
                              [this] { bringActiveWorkspaceToCurrentDisplay(); }))
        return;
    const auto display = displays.currentDisplayVisibleAX();
    if (!display) return;
    const auto& [visible, reason] = *display;

    const Rect current = currentContainerAXRect(*ws);
    const Rect clamped = DisplayResolver::clamped(current, visible, kMinimumContainer);
    const auto holder = displays.screenVisibleFrameAX(current);
    const bool fromAnotherDisplay = !holder || *holder != visible;
    const Rect target = fromAnotherDisplay ? visible : clamped;
    Log::line("[Tessane] Bring active workspace to current display (" + reason +
              "): original=" + workspace_rules::rectLog(current) + " resolved=" + workspace_rules::rectLog(target) +
              (fromAnotherDisplay ? " (filled — from another display)" : "") + "; checkpoint preserved. " +
              displays.screensLogSummary());

    WorkspaceSession& session = workspaceSessions.putSessionAt(*ws, target);
    if (fromAnotherDisplay) {
        session.chrome->setPreMaximizeFrame(
            ScreenGeometry::screenRectFromAX(clamped, ScreenGeometry::primaryDisplayHeight(*env.platform.screens)));
        session.chrome->setIsMaximized(true);
    }
    session.chrome->orderFront();

    placeAndBringForward(id);
}

}  // namespace tessane
