#pragma once

#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"

#include <functional>
#include <memory>

namespace tessane {

class AppIcons;
class ChromeGuard;
class ContainerChrome;
class ControllerObservers;
class DisplaySet;
class DividerKeeper;
class DocumentChoosers;
class FrameKeeper;
class NoticeChrome;
class PaneEdits;
class PlacementPass;
class ReconcileSweep;
class Screens;
class ShowSequence;
class ShownWorkspaces;
class SoloMemory;
class StageManagerGate;
class TipsChrome;
class UserMoves;
class WindowDrag;
class WorkspaceManager;
class WorkspaceRaiser;
struct Workspace;

// The opening and ending of the shown workspaces' sessions: a session made with its chrome, whose
// callbacks (the user's menu choices, rail drags and divider drags) are bound to the commands for
// that workspace; opened by a show, or put up at a frame by a command without one; and ended, with
// every part told to forget the workspace.
class WorkspaceSessions final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;

    // What a session's opening touches.
    struct Opening {
        WorkspaceManager& manager;
        ShownWorkspaces& workspaces;
        SoloMemory& solo;
        DisplaySet& displays;
        const Screens& screens;
        const AppIcons& icons;
        FrameKeeper& frames;
        ChromeGuard& guard;
        WindowDrag& drag;
        DividerKeeper& dividers;
        StageManagerGate& stage;
        WorkspaceRaiser& raiser;
        PaneEdits& edits;
    };
    // What its ending tells to forget the workspace, beyond those.
    struct Ending {
        DocumentChoosers& choosers;
        ShowSequence& show;
        UserMoves& gestures;
        ReconcileSweep& sweep;
        PlacementPass& tiling;
        ControllerObservers& observers;
        NoticeChrome& notice;
        TipsChrome& tips;
    };
    // The commands the chrome's menu and keys ask for, which stay the controller's.
    struct Hooks {
        std::function<void(const Uuid&)> restoreLayout;
        std::function<void(const Uuid&)> hideWorkspace;
        std::function<void(const Uuid&, int)> moveWorkspaceToDisplay;
        std::function<void(int)> focusAdjacentPane;
        std::function<void()> soloFocusedPane;
        std::function<void()> restoreFromSolo;
        std::function<void(const Uuid&)> saveLayout;
        std::function<void(const Uuid&)> resetWorkspace;
        std::function<void(const Uuid&)> releaseWorkspace;
        std::function<void(const Uuid&)> closeWorkspaceApps;
    };

    WorkspaceSessions(std::function<std::unique_ptr<ContainerChrome>()> makeChrome, Opening opening, Ending ending,
                      Hooks hooks);
    WorkspaceSessions(const WorkspaceSessions&) = delete;
    WorkspaceSessions& operator=(const WorkspaceSessions&) = delete;

    // A new session for the workspace, its chrome's callbacks bound (not yet stored).
    std::unique_ptr<WorkspaceSession> makeSession(const Uuid& workspaceID);
    // A show's: makes the workspace the active, front one, with a session (made when it has none).
    void openSession(const Workspace& workspace);
    // Readies a chrome for the workspace as a show does: rail panel, title, type, count, ratios,
    // icons, not maximized, dividers and shields shown, not soloed.
    void prepareChrome(ContainerChrome& chrome, const Workspace& workspace);
    // The session of a workspace that a command puts up at `target` without a show: taken or made
    // (its chrome prepared), published, its frame stored; the chrome moved there.
    WorkspaceSession& putSessionAt(const Workspace& workspace, const Rect& target);
    // Ends the workspace's session (nothing when it has none): its chrome and pending work go,
    // its frame is written now (`persistFrame`) or its pending write dropped.
    void tearDownSession(const Uuid& workspaceID, bool persistFrame);

private:
    std::function<std::unique_ptr<ContainerChrome>()> makeChrome;
    Opening opening;
    Ending ending;
    Hooks hooks;
    SessionMap<WorkspaceSession>& sessions;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
