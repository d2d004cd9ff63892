#include "controller/FrameKeeper.h"

#include "controller/ContainerChrome.h"
#include "controller/ContainerFrameRecord.h"
#include "controller/DisplaySet.h"
#include "layout/ScreenGeometry.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "platform/Accessibility.h"

namespace tessane {

namespace {
constexpr double kSnapDelay = 0.12;
constexpr double kPersistDelay = 0.5;
}  // namespace

FrameKeeper::FrameKeeper(MainQueue& queue, WorkspaceManager& manager, SessionMap<WorkspaceSession>& sessions,
                         DisplaySet& displays, Accessibility& accessibility, const Screens& screens,
                         std::function<void(const Workspace&)> placeAgain)
    : queue(queue),
      manager(manager),
      sessions(sessions),
      displays(displays),
      accessibility(accessibility),
      screens(screens),
      placeAgain(std::move(placeAgain)),
      snaps(queue),
      persists(queue) {}

FrameKeeper::~FrameKeeper() {
    snaps.cancelAll();
    persists.cancelAll();
}

void FrameKeeper::scheduleSnap(const Uuid& workspaceID) {
    snaps.schedule(workspaceID, kSnapDelay, lifetime.guard([this, workspaceID] { snap(workspaceID); }));
}

void FrameKeeper::snap(const Uuid& workspaceID) {
    if (!accessibility.isProcessTrusted()) return;
    const auto ws = manager.workspace(workspaceID);
    if (!ws) return;
    placeAgain(*ws);
}

void FrameKeeper::schedulePersist(const Uuid& workspaceID) {
    persists.schedule(workspaceID, kPersistDelay, lifetime.guard([this, workspaceID] { persist(workspaceID); }));
}

void FrameKeeper::persist(const Uuid& workspaceID) {
    auto ws = manager.workspace(workspaceID);
    const auto* session = sessions.find(workspaceID);
    if (!ws || !session || !session->containerAXRect || session->containerAXRect->isEmpty()) return;
    manager.update(rememberingContainerFrame(*ws, *session->containerAXRect, displays.currentTopology()));
}

void FrameKeeper::adopt(const Uuid& workspaceID, const Rect& frame) {
    auto* session = sessions.find(workspaceID);
    if (!session) return;
    session->containerAXRect = frame;
    if (session->chrome->hasHeaderPanel()) {
        session->chrome->setContainerCocoaRect(
            ScreenGeometry::screenRectFromAX(frame, ScreenGeometry::primaryDisplayHeight(screens)));
        session->chrome->applyGeometry(true);
    }
    persist(workspaceID);
}

void FrameKeeper::flush(const Uuid& workspaceID) {
    persists.cancel(workspaceID);
    persist(workspaceID);
}

void FrameKeeper::flushAll() {
    const auto pending = persists.pending();
    if (pending.empty()) return;
    for (const auto& id : pending) {
        persists.cancel(id);
        const auto ws = manager.workspace(id);
        if (!ws) continue;  // deleted meanwhile: its save is dropped
        const auto* session = sessions.find(id);
        if (!session || !session->containerAXRect) continue;
        manager.update(rememberingContainerFrame(*ws, *session->containerAXRect, displays.currentTopology()));
    }
    Log::line("[Tessane] Flushed " + std::to_string(pending.size()) + " pending container-frame save(s) on quit.");
}

}  // namespace tessane
