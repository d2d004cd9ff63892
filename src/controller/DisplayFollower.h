#pragma once

#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "platform/MainQueue.h"
#include "system/DisplayTopologyWatcher.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class Accessibility;
class ChromeGuard;
class DisplaySet;
class HomeOffers;
class NoticeChrome;
class PlacementPass;
class Screens;
class SoloMemory;
class StageManagerGate;
class TipsChrome;
class WorkspaceManager;

// Following the displays: the watcher of display changes and, once a burst of them has settled,
// the look at every shown workspace, which stays, goes home, is pulled back into view, is
// sheltered, or is offered its way back to a display that returned.
class DisplayFollower final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;
    using HomeOffer = workspace_controller::HomeOffer;
    using MakeWatcher = std::function<std::unique_ptr<DisplayTopologyWatcher>(DisplayTopologyWatcher::OnChange)>;

    // What it reads and moves of the shown workspaces.
    struct Shown {
        WorkspaceManager& manager;
        SessionMap<WorkspaceSession>& sessions;
        const SoloMemory& solo;
        PlacementPass& tiling;
        TipsChrome& tips;
        ChromeGuard& guard;
        StageManagerGate& stage;
    };
    // What stays the controller's.
    struct Hooks {
        std::function<void()> restoreFromSolo;
    };

    // `makeWatcher`: made in place of the real watcher when set (tests).
    DisplayFollower(MainQueue& queue, Screens& screens, Accessibility& accessibility, Shown shown,
                    DisplaySet& displays, HomeOffers& homeOffers, NoticeChrome& notice, MakeWatcher makeWatcher,
                    Hooks hooks);
    ~DisplayFollower();
    DisplayFollower(const DisplayFollower&) = delete;
    DisplayFollower& operator=(const DisplayFollower&) = delete;

    void start();
    // `reframed`: the displays' frames changed too (see DisplayTopologyWatcher), so every shown
    // workspace that is not moved elsewhere is laid out again where it is.
    void handleTopologyChange(const std::optional<std::string>& previous, const std::optional<std::string>& current,
                              bool reframed = false);
    // Moves the shown workspace's container and windows to `target`; `recordHome` files it as
    // the home on the current displays.
    void moveShownWorkspace(const Uuid& id, const Rect& target, bool recordHome);

private:
    // What each shown workspace is judged against once the displays have settled.
    struct Settled;
    void follow(const std::optional<std::string>& previous, const std::optional<std::string>& current, bool reframed);
    void follow(const Settled& settled, const Uuid& id, std::vector<HomeOffer>& offers);

    MainQueue& queue;
    Screens& screens;
    Accessibility& accessibility;
    Shown shown;
    DisplaySet& displays;
    HomeOffers& homeOffers;
    NoticeChrome& notice;
    MakeWatcher makeWatcher;
    Hooks hooks;
    std::unique_ptr<DisplayTopologyWatcher> watcher;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
