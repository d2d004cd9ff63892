#pragma once

#include "base/Lifetime.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "platform/AccessibilityValue.h"

#include <string>

namespace tessane {

class Accessibility;
class ControllerObservers;
class DisplaySet;
class DriftWatch;
class MainQueue;
class PlacementPass;
class ReconcileSweep;
class RunningApplications;
class ShownWorkspaces;
class StageManagerGate;
class UserMoves;
class WindowDrag;

// What becomes of the window events of the shown workspaces' tracked windows: a closed window
// frees its pane, whatever else is going on; a move or resize of a shown workspace's window is
// the user's (to the user-change handling) unless a divider drag, the displays settling or Stage
// Manager made it, and one heard during our own placement is checked for drift.
class WindowEvents final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;

    struct Shown {
        ShownWorkspaces& workspaces;
        PlacementPass& tiling;
        const WindowDrag& drag;
        DisplaySet& displays;
        StageManagerGate& stage;
        DriftWatch& drift;
        UserMoves& gestures;
        ControllerObservers& observers;
        ReconcileSweep& sweep;
    };

    WindowEvents(MainQueue& queue, Accessibility& accessibility, const RunningApplications& applications,
                 Shown shown);
    WindowEvents(const WindowEvents&) = delete;
    WindowEvents& operator=(const WindowEvents&) = delete;

    // An Accessibility notification about `element` (one of the six window notifications).
    void handle(const AXElement& element, const std::string& notification);

private:
    void windowDestroyed(const AXElement& element);

    MainQueue& queue;
    Accessibility& accessibility;
    const RunningApplications& applications;
    Shown shown;
    SessionMap<WorkspaceSession>& sessions;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
