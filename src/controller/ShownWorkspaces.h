#pragma once

#include "base/Lifetime.h"
#include "base/Signal.h"
#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/Workspace.h"
#include "platform/AccessibilityValue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class AXWindowController;
class Accessibility;
class ExternalAppController;
class RunningApplications;
class WorkspaceManager;

// Which workspaces are shown, each with its session, and which of them is in front: the order
// they were last brought forward in, the application the user last brought forward, and the
// sorted names the status icon follows. Every other part reads the sessions through the map it
// hands out; the sessions are made and ended by the controller.
class ShownWorkspaces final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;
    using TrackedWindow = workspace_controller::TrackedWindow;
    using Names = std::vector<std::string>;

    // What stays the controller's.
    struct Hooks {
        std::function<bool()> stageManagerActive;
        // The tiling pass forgets the window it keeps for the pane of `appID`.
        std::function<void(const Uuid& appID)> forgetCachedWindow;
        // The window observers follow the tracked windows again.
        std::function<void()> rebuildObservers;
    };

    ShownWorkspaces(WorkspaceManager& manager, Accessibility& accessibility, const RunningApplications& applications,
                    ExternalAppController& appController, AXWindowController& axController, Hooks hooks);
    ShownWorkspaces(const ShownWorkspaces&) = delete;
    ShownWorkspaces& operator=(const ShownWorkspaces&) = delete;

    SessionMap<WorkspaceSession>& sessions() { return sessions_; }
    const SessionMap<WorkspaceSession>& sessions() const { return sessions_; }

    // The sorted names of the shown workspaces.
    const Published<Names>& names() const { return names_; }
    // Told, with the new names, before each change.
    [[nodiscard]] Subscription observeNames(std::function<void(const Names&)> observer) {
        return names_.observe(std::move(observer));
    }
    // Tells the observers when the shown workspaces' names changed.
    void publishNames();

    // The workspace comes to the front of the order its session and the switcher keep.
    void stampFront(const Uuid& workspaceID);
    // The front one of the sessions left becomes the active workspace (none when none is left),
    // its chrome in front unless Stage Manager is on or an app of it is fullscreen.
    void promoteFront();
    uint64_t frontSequence() const { return frontSequence_; }
    // Most recently in front first.
    const std::vector<Uuid>& recentWorkspaceIDs() const { return recentWorkspaceIDs_; }

    // The application the user last brought forward (ours never counts).
    const std::optional<std::string>& lastActivatedBundleID() const { return lastActivatedBundleID_; }
    void setLastActivatedBundleID(std::optional<std::string> bundleID) { lastActivatedBundleID_ = std::move(bundleID); }

    // How the log names a workspace ("none" for no id, or one that no longer exists).
    std::string logName(const std::optional<Uuid>& id) const;
    // The first shown workspace (in session order) that holds the application.
    std::optional<Workspace> owning(const std::string& bundleID) const;
    // Drops the workspace's tracked windows that no longer exist.
    void pruneDeadWindows(const Uuid& workspaceID);
    // The workspace's application that has the focus: the last one brought forward, else the
    // frontmost one, when the workspace holds it.
    std::optional<std::string> focusedAppBundleID(const Workspace& workspace) const;
    // The pane whose tracked window has that application's focus.
    std::optional<Uuid> focusedPaneAppID(const Workspace& workspace, const WorkspaceSession& session) const;

private:
    bool windowIsGone(const AXElement& window) const;

    WorkspaceManager& manager;
    Accessibility& accessibility;
    const RunningApplications& applications;
    ExternalAppController& appController;
    AXWindowController& axController;
    Hooks hooks;

    SessionMap<WorkspaceSession> sessions_;
    Published<Names> names_;
    uint64_t frontSequence_ = 0;
    std::vector<Uuid> recentWorkspaceIDs_;
    std::optional<std::string> lastActivatedBundleID_;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
