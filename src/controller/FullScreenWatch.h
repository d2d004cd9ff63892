#pragma once

#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerState.h"
#include "controller/WorkspaceControllerTypes.h"
#include "platform/MainQueue.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tessane {

class Alerts;
class AXWindowController;
class BlockedPrompt;
class ChromeGuard;
class ExternalAppController;
class SoloMemory;
class StageManagerGate;
class TipsChrome;
class WorkspaceManager;
struct Workspace;

// An application of a shown workspace in the desktop's own fullscreen state is left alone: the
// chrome steps off the screen while one is, comes back and re-tiles when the last one leaves,
// and a show that met one says so. Entering and leaving fullscreen may change the current
// desktop, so each desktop change starts a short pulse of re-checks; the first change of a burst
// is checked at once, the rest once the burst has been quiet for a moment.
class FullScreenWatch final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;

    // What stays the controller's: whether an application has a window the size of a screen
    // (its main window unreadable), the end of a solo (which places its workspace again), a quiet
    // tiling pass, and a tile that reports what it could not do.
    struct Hooks {
        std::function<bool(Pid)> hasFullScreenWindow;
        std::function<void()> restoreFromSolo;
        std::function<void(const Workspace&)> retile;
        std::function<void(const Workspace&)> tileAndReport;
    };
    struct Shown {
        WorkspaceManager& manager;
        SessionMap<WorkspaceSession>& sessions;
        const SoloMemory& solo;
        TipsChrome& tips;
        ChromeGuard& guard;
        StageManagerGate& stage;
    };

    FullScreenWatch(MainQueue& queue, Alerts& alerts, ExternalAppController& apps, AXWindowController& windows,
                    Shown shown, BlockedPrompt& prompt, Hooks hooks);
    ~FullScreenWatch();
    FullScreenWatch(const FullScreenWatch&) = delete;
    FullScreenWatch& operator=(const FullScreenWatch&) = delete;

    // The current desktop changed.
    void spaceChanged();
    // Records which of the workspace's applications are fullscreen now and moves its chrome off
    // or back (re-tiling when the last one left); whether any is.
    bool reconcile(const Uuid& workspaceID);
    // The alert that `apps` of the workspace were left alone in fullscreen; a retry tiles again.
    void presentBlock(const Uuid& workspaceID, const std::vector<std::string>& apps);

    // The workspace's running applications that are fullscreen now.
    std::set<Pid> fullScreenPids(const Workspace& workspace);

    bool isPulsing() const { return timer != nullptr; }

private:
    void pulse();
    void settleBurst();

    MainQueue& queue;
    Alerts& alerts;
    ExternalAppController& apps;
    AXWindowController& windows;
    Shown shown;
    BlockedPrompt& prompt;
    Hooks hooks;

    std::shared_ptr<RepeatingTimer> timer;
    TimeInterval stopAt = workspace_controller::kDistantPast;
    // The time of the latest change and the pending check for the quiet after a burst.
    TimeInterval lastSpaceChangeAt = workspace_controller::kDistantPast;
    std::shared_ptr<WorkItem> settleWorkItem;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
