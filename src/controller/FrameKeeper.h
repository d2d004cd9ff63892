#pragma once

#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/PendingPerWorkspace.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/Workspace.h"
#include "platform/MainQueue.h"

#include <functional>

namespace tessane {

class Accessibility;
class DisplaySet;
class Screens;
class WorkspaceManager;

// What follows a move or resize of a shown workspace's container: the snap of its windows into
// the new panes a moment later, and the write of the new frame (and its home on these displays)
// once the container has come to rest. Each is kept per workspace, a later change replacing it.
// A frame Tessane decides itself (a resize reflow, a bounce to fit the windows) is taken at once.
class FrameKeeper final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;

    // `placeAgain`: places the workspace's windows in its panes again.
    FrameKeeper(MainQueue& queue, WorkspaceManager& manager, SessionMap<WorkspaceSession>& sessions,
                DisplaySet& displays, Accessibility& accessibility, const Screens& screens,
                std::function<void(const Workspace&)> placeAgain);
    ~FrameKeeper();
    FrameKeeper(const FrameKeeper&) = delete;
    FrameKeeper& operator=(const FrameKeeper&) = delete;

    void scheduleSnap(const Uuid& workspaceID);
    void cancelSnap(const Uuid& workspaceID) { snaps.cancel(workspaceID); }
    void schedulePersist(const Uuid& workspaceID);
    void cancelPersist(const Uuid& workspaceID) { persists.cancel(workspaceID); }
    // Writes the shown workspace's container frame now.
    void persist(const Uuid& workspaceID);
    // Makes `frame` the shown workspace's container: the session, the chrome, the stored frame.
    void adopt(const Uuid& workspaceID, const Rect& frame);
    // Writes it now in place of its pending write.
    void flush(const Uuid& workspaceID);
    // Writes every pending frame now (at quit); those of workspaces deleted meanwhile are dropped.
    void flushAll();

    PendingPerWorkspace& pendingSnaps() { return snaps; }
    PendingPerWorkspace& pendingPersists() { return persists; }

private:
    void snap(const Uuid& workspaceID);

    MainQueue& queue;
    WorkspaceManager& manager;
    SessionMap<WorkspaceSession>& sessions;
    DisplaySet& displays;
    Accessibility& accessibility;
    const Screens& screens;
    std::function<void(const Workspace&)> placeAgain;
    PendingPerWorkspace snaps;
    PendingPerWorkspace persists;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
