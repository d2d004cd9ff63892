#pragma once

#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerState.h"
#include "controller/WorkspaceControllerTypes.h"
#include "platform/MainQueue.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tessane {

class Accessibility;
class AXWindowController;
class Environment;
class ExternalAppController;
class TipsChrome;
class WindowList;
class WorkspaceManager;
struct Workspace;

// The foreground guard: for a short while after anything that may restack windows (a pulse),
// the active workspace's chrome steps aside while another window (another app's, or Settings)
// covers its gutters or rail, and comes back once the workspace's own windows are in front
// again. Another application's window left between the workspace's own has the tiles under it
// raised once per pulse.
class ChromeGuard final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;
    using TrackedWindow = workspace_controller::TrackedWindow;

    // What stays the controller's: whether it is moving windows itself (the guard then leaves
    // the chrome as it is), and the container's and its tiles' rectangles.
    struct Hooks {
        std::function<bool()> movingWindows;
        std::function<Rect(const Workspace&)> containerRect;
        std::function<std::vector<Rect>(const Workspace&)> tileRects;
    };
    struct Ports {
        Accessibility& accessibility;
        WindowList& windowList;
        const Environment& environment;
    };

    // `ownChoosers`: per workspace, the document choosers of its own apps, which cover nothing.
    ChromeGuard(MainQueue& queue, Ports ports, WorkspaceManager& manager, const SessionMap<WorkspaceSession>& sessions,
                ExternalAppController& apps, AXWindowController& windows, TipsChrome& tips,
                const std::map<Uuid, std::set<uint32_t>>& ownChoosers, Hooks hooks);
    ~ChromeGuard();
    ChromeGuard(const ChromeGuard&) = delete;
    ChromeGuard& operator=(const ChromeGuard&) = delete;

    // Checks now, and keeps checking every 0.3 s for 1.5 s from now (a pulse under way is
    // extended, not doubled).
    void pulse();
    // One check of the active workspace's chrome against the windows in front of it.
    void refresh();
    // Ends the pulse under way (nothing is shown any more).
    void stop();

    bool isPulsing() const { return timer_ != nullptr; }
    const RepeatingTimer* timer() const { return timer_.get(); }
    TimeInterval stopAt() const { return stopAt_; }
    // The last window found covering a workspace, in words.
    const std::optional<std::string>& lastForeignWindow() const { return lastForeignWindow_; }

private:
    workspace_controller::RegionFront frontOfRegion(const Rect& region, const std::set<Pid>& managedPids,
                                                    const std::set<uint32_t>& tiledWindowIDs,
                                                    const std::vector<Rect>& panes, const Rect& railAX,
                                                    const std::set<uint32_t>& ownChoosers);
    // Raises the tiles of `lastBuriedTiles` not raised yet, keeping the focus where it is; false
    // when there is none (the manager did not raise them: the chrome steps aside as for any cover).
    bool raiseBuriedTiles(const Workspace& workspace, const std::map<uint32_t, const TrackedWindow*>& tiles);

    MainQueue& queue;
    Ports ports;
    WorkspaceManager& manager;
    const SessionMap<WorkspaceSession>& sessions;
    ExternalAppController& apps;
    AXWindowController& windows;
    TipsChrome& tips;
    const std::map<Uuid, std::set<uint32_t>>& ownChoosers;
    Hooks hooks;

    std::shared_ptr<RepeatingTimer> timer_;
    TimeInterval stopAt_ = workspace_controller::kDistantPast;
    std::optional<std::string> lastForeignWindow_;
    bool lastCoverIsOurs = false;  // that window is one of Tessane's own (Settings), not foreign
    // The tiles that window lies over while another of the workspace's windows is in front of it,
    // and those the guard raised from under such a window since it last found its own in front.
    std::vector<uint32_t> lastBuriedTiles;
    std::set<uint32_t> raisedFromUnder;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
