#pragma once

#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/RaiseSequence.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/Workspace.h"
#include "platform/MainQueue.h"
#include "platform/RunningApplications.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class AXWindowController;
class Accessibility;
class Applications;
class ChromeGuard;
class Environment;
class ExternalAppController;
class HiddenAppLedger;
class StageManagerGate;
class WorkspaceManager;

// What brings a shown workspace's applications forward, and which activations are its own.
// Entering a shown workspace from outside brings only the chosen application forward by itself;
// resurfacing brings the whole group up: the workspace's applications are activated one after
// another, 0.2 s apart, their tiled windows raised, the chosen one last so that it ends in front.
// The activations a sequence causes are its own and not heard as the user's (`isResurfacing`);
// afterwards every tracked window gets a drift check. The latest request wins: a newer sequence,
// a show or a hide ends what is left of an older sequence, and of an earlier show's own
// activation. The focus the window manager hands to another window after a hide is not the
// user's choice either.
class WorkspaceRaiser final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;

    struct Ports {
        Applications& applications;
        Accessibility& accessibility;
        const Environment& environment;
    };
    // What it reaches of the shown workspaces.
    struct Shown {
        WorkspaceManager& manager;
        HiddenAppLedger& hiddenApps;
        const SessionMap<WorkspaceSession>& sessions;
        ExternalAppController& apps;
        AXWindowController& axController;
        const StageManagerGate& stage;
        ChromeGuard& guard;
    };
    // What stays the controller's: the drift check of the workspace's windows once a sequence
    // has settled.
    struct Hooks {
        std::function<void(const Uuid&)> checkAllWindowsStayed;
    };

    WorkspaceRaiser(MainQueue& queue, Ports ports, std::string ownBundleIdentifier, Shown shown, Hooks hooks);
    WorkspaceRaiser(const WorkspaceRaiser&) = delete;
    WorkspaceRaiser& operator=(const WorkspaceRaiser&) = delete;

    // Brings the chrome and the workspace's running applications up, `triggeredBy` last (none to
    // sequence with fewer than two running). Not while Stage Manager is on.
    void resurfaceWorkspace(const Workspace& workspace, const std::optional<std::string>& triggeredBy);
    // Brings the workspace's running applications forward, the primary one last.
    void bringForwardApps(const Workspace& workspace);
    // A show or hide ends what is left of an earlier raise sequence, so that nothing of it comes up
    // after: its later steps do not run and activations it or an earlier show caused are not
    // taken for the user's.
    void supersedeRaiseSequence();
    // Activates the workspace's primary application when it runs, else its first running one.
    void activateFrontApp(const Workspace& workspace);

    // Whether an activation Tessane hears is its own doing (a sequence's step, a superseded one's
    // heard late, the focus the window manager hands back after a hide) rather than the user's.
    // Another application taking the focus while a sequence runs is the user's choice and ends
    // the sequence, whose later steps would bury it; a handed-back focus counts once.
    bool isOwnActivation(const RunningApplication& app);

    // While set, activations, moves and drift are Tessane's own doing, not the user's.
    bool isResurfacing() const { return isResurfacing_; }
    void setResurfacing(bool on) { isResurfacing_ = on; }
    // Lets activations be handled again 0.25 s after pane focus or a solo brought an application
    // forward, and re-checks the chrome against the windows then in front.
    void endResurfacingSoon();

    // The record of which activations are Tessane's, where a show and a hide note theirs.
    RaiseSequence& sequence() { return raise; }

private:
    // The workspace's primary application when it runs, else its first running one.
    std::optional<RunningApplication> frontRunningApp(const Workspace& workspace) const;
    // Starts a raise sequence over `apps`, superseding any under way.
    void startRaiseSequence(const std::vector<RunningApplication>& apps, const Uuid& workspaceID);
    void activateInSequence(const std::vector<RunningApplication>& apps, size_t index, const Uuid& workspaceID,
                            uint64_t generation);
    // Another application than the sequence's workspace's own (and not Tessane).
    bool isOutsideRaiseSequence(const RunningApplication& app) const;

    MainQueue& queue;
    Ports ports;
    std::string ownBundleIdentifier;
    Shown shown;
    Hooks hooks;
    RaiseSequence raise;  // the one under way, and what it activated
    bool isResurfacing_ = false;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
