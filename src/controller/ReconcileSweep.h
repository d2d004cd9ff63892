#pragma once

#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/Workspace.h"
#include "platform/AccessibilityValue.h"
#include "platform/MainQueue.h"
#include "platform/Platform.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace tessane {

class AXWindowController;
class ExternalAppController;
class PlacementPass;
class SoloMemory;
class WorkspaceManager;

// What follows the tiling pass while a pane of a shown workspace is empty: a few passes a moment
// apart that adopt a late window into its pane, move a chooser the application waits on over the
// pane once, tile a workspace whose applications have finished loading, and in the end describe
// the panes that stayed empty.
class ReconcileSweep final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;
    using TrackedWindow = workspace_controller::TrackedWindow;
    using ResolvedWindow = workspace_controller::ResolvedWindow;

    // What the sweep asks of the controller around it.
    struct Hooks {
        // Stops tracking the workspace's windows that are gone.
        std::function<void(const Uuid&)> pruneDeadWindows;
        // No window is adopted meanwhile (a resurfacing, a divider drag, Stage Manager, no window control).
        std::function<bool()> adoptionPaused;
        // Whether window control is away (a refusal is then nobody's doing).
        std::function<bool()> windowControlAway;
        std::function<std::optional<Workspace>(const std::string& bundleID)> shownWorkspaceOwning;
        std::function<bool(const Uuid&)> stillLoading;
        std::function<void(const Uuid&)> loadingChanged;  // the workspace's loading chrome follows
        std::function<void(const Workspace&)> inviteWindowlessApps;
        std::function<void()> closeNotice;
        std::function<void(const AXElement& chooser, const Uuid& workspaceID)> noteOwnChooser;
        std::function<void()> windowsRebound;  // the shown workspaces' windows changed
    };

    ReconcileSweep(MainQueue& queue, const Platform& platform, WorkspaceManager& manager,
                   SessionMap<WorkspaceSession>& sessions, ExternalAppController& apps,
                   AXWindowController& axController, PlacementPass& tiling, const SoloMemory& solo, Hooks hooks);
    ~ReconcileSweep() { stop(); }
    ReconcileSweep(const ReconcileSweep&) = delete;
    ReconcileSweep& operator=(const ReconcileSweep&) = delete;

    // Starts the sweep again from its first pass, in place of the one under way.
    void restart();
    // Whether a pane of a shown workspace whose application runs has no window.
    bool hasEmptyPane();
    // One pass over every shown workspace; another follows while a pane is empty.
    void run();
    // Fills what it can of the workspace's empty panes.
    void reconcileWorkspace(const Uuid& workspaceID);
    // Drops what it keeps of a workspace no longer shown.
    void forget(const Uuid& workspaceID);
    // Cancels the pass queued, if any.
    void stop();

    int attempts() const { return attempts_; }
    bool isQueued() const { return queued && !queued->isCancelled(); }
    // The workspaces found still loading (tiled again once they are not), and the processes whose
    // pending chooser was moved over their pane (once each).
    std::set<Uuid>& loadingWorkspaces() { return loading; }
    std::set<Pid>& tidiedChoosers() { return tidied; }
    // Takes `item` as the pass queued (a restart or the end cancels it).
    void replaceQueued(std::shared_ptr<WorkItem> item) { queued = std::move(item); }

private:
    void reconcilePendingApp(Pid pid);
    void logPanesStillEmpty();

    MainQueue& queue;
    Platform platform;
    WorkspaceManager& manager;
    SessionMap<WorkspaceSession>& sessions;
    ExternalAppController& apps;
    AXWindowController& axController;
    PlacementPass& tiling;
    const SoloMemory& solo;
    Hooks hooks;

    std::shared_ptr<WorkItem> queued;
    int attempts_ = 0;
    std::set<Uuid> loading;
    std::set<Pid> tidied;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
