#pragma once

#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/PendingPerWorkspace.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "platform/MainQueue.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace tessane {

class AXWindowController;
class DisplaySet;
class PlacementPass;
class Screens;
class SoloMemory;
class StageManagerGate;
class ThreeColumnsFold;
class WindowDrag;
class WorkspaceManager;
struct Workspace;

// The dividers of the shown workspaces and what keeps them true to the windows: a divider the
// user released is stored and, once the windows settle, moved to where windows that refuse their
// narrower panes really end; shortly after a tiling pass the sizes the windows kept are learnt as
// minimums (a two-application split is re-divided and grown to fit them); windows pushed off
// screen come back. The settle step is kept in one slot for whichever workspace asked last; the
// learning is kept per workspace.
class DividerKeeper final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;

    struct Shown {
        WorkspaceManager& manager;
        SessionMap<WorkspaceSession>& sessions;
        AXWindowController& ax;
        Screens& screens;
        DisplaySet& displays;
        PlacementPass& tiling;
        StageManagerGate& stage;
        WindowDrag& drag;
        ThreeColumnsFold& columns;
        const SoloMemory& solo;
    };
    // What stays the controller's: the container's frame and the choosers.
    struct Hooks {
        std::function<Rect(const Workspace&)> containerRect;
        std::function<void(const Uuid&, const Rect&)> adoptContainerFrame;
        std::function<bool(const Workspace&)> hasChooserUp;
    };

    DividerKeeper(MainQueue& queue, Shown shown, Hooks hooks);
    ~DividerKeeper();
    DividerKeeper(const DividerKeeper&) = delete;
    DividerKeeper& operator=(const DividerKeeper&) = delete;

    // The user released a divider at `ratios`: stored, tiled, then settled against the windows.
    void commit(const std::vector<double>& ratios, const Uuid& workspaceID);
    void cancelSettle();
    // The workspace is put away: its learning stops, and the settle step too when `lastShown`.
    void forget(const Uuid& workspaceID, bool lastShown);
    // Everything pending stops (at teardown and reset).
    void stop();

    void scheduleLearn(const Uuid& workspaceID);
    void scheduleReconcile(const Uuid& workspaceID);
    void keepAppsOnScreen(const Uuid& workspaceID);
    // Shields and divider handles back as the workspace's solo and choosers want them.
    void restoreVisibility(const Uuid& workspaceID);

    PendingPerWorkspace& pendingLearns() { return learns; }
    std::shared_ptr<WorkItem>& settleWorkItem() { return settle; }

private:
    void learn(const Uuid& workspaceID);
    void bounceFrameToFit(const Workspace& workspace, const std::vector<Size>& appSizes);
    std::map<int, double> reconcileFixes(const Workspace& workspace);
    bool needsReconcile(const Uuid& workspaceID);
    void snapToApps(const Uuid& workspaceID);

    MainQueue& queue;
    Shown shown;
    Hooks hooks;
    PendingPerWorkspace learns;
    std::shared_ptr<WorkItem> settle;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
