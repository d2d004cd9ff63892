#pragma once

#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/Workspace.h"
#include "platform/MainQueue.h"

#include <functional>
#include <memory>
#include <vector>

namespace tessane {

class DisplaySet;
class NoticeChrome;
class Screens;
class WorkspaceManager;

// The way home offered to shown workspaces when a display they have a home on comes back: the
// notice that offers it, the look a moment later at whether the window manager took their
// windows back there itself (then they follow and the offer goes), and the move home once the
// user accepts, when it still holds.
class HomeOffers final {
public:
    using HomeOffer = workspace_controller::HomeOffer;
    using WorkspaceSession = workspace_controller::WorkspaceSession;

    // What stays the controller's.
    struct Hooks {
        std::function<bool()> stageManagerActive;
        // The frames (Accessibility coordinates) of the workspace's windows.
        std::function<std::vector<Rect>(const Workspace&)> windowFrames;
        // Moves the shown workspace's container and windows to `target`, not filing it as a home.
        std::function<void(const Uuid&, const Rect&)> moveShownWorkspace;
    };

    HomeOffers(MainQueue& queue, WorkspaceManager& manager, const SessionMap<WorkspaceSession>& sessions,
               NoticeChrome& notice, DisplaySet& displays, const Screens& screens, Hooks hooks);
    ~HomeOffers() { cancelRecheck(); }
    HomeOffers(const HomeOffers&) = delete;
    HomeOffers& operator=(const HomeOffers&) = delete;

    // Whether the window manager has already put most of the workspace's windows on the display
    // of `target`.
    bool windowsAlreadyReturned(const Rect& target, const Workspace& workspace) const;
    // Offers the workspaces their way home in one notice (not while Stage Manager is on, nor when
    // every one is behind a fullscreen app).
    void present(const std::vector<HomeOffer>& offers);
    // Looks again a moment later: those whose windows went home meanwhile follow them, and the
    // notice goes once none is left waiting.
    void scheduleRecheck(const std::vector<HomeOffer>& offers);
    void cancelRecheck();
    bool recheckPending() const { return recheck && !recheck->isCancelled(); }

private:
    void moveHomeIfStillValid(const Uuid& workspaceID);

    MainQueue& queue;
    WorkspaceManager& manager;
    const SessionMap<WorkspaceSession>& sessions;
    NoticeChrome& notice;
    DisplaySet& displays;
    const Screens& screens;
    Hooks hooks;
    std::shared_ptr<WorkItem> recheck;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
