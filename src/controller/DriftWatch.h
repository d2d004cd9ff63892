#pragma once

#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/DriftMemory.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "platform/AccessibilityValue.h"
#include "platform/MainQueue.h"

#include <functional>

namespace tessane {

class AXWindowController;
class DisplaySet;
class GlobalInput;
class NoticeChrome;
class PlacementPass;
class Screens;
class SoloMemory;
class StageManagerGate;
class WindowDrag;
class WorkspaceManager;

// Windows that move themselves out of their pane right after they were placed: a look a moment
// after each placement (and after a resurfacing, at every tracked window) puts one back twice
// within ten seconds at most, then leaves it where its application wants it, with one notice.
// Not while the user holds a button or drags a window (the move is theirs), nor while a placement,
// a divider drag, a resurfacing, Stage Manager or a solo has the windows.
class DriftWatch final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;

    struct Shown {
        WorkspaceManager& manager;
        const SessionMap<WorkspaceSession>& sessions;
        AXWindowController& ax;
        PlacementPass& tiling;
        const WindowDrag& drag;
        const StageManagerGate& stage;
        const SoloMemory& solo;
        const DisplaySet& displays;
        NoticeChrome& notice;
        const Screens& screens;
        GlobalInput* input;  // none without global input
    };
    // What stays the controller's: whether a resurfacing is activating the workspace's apps.
    struct Hooks {
        std::function<bool()> resurfacing;
    };

    DriftWatch(MainQueue& queue, Shown shown, Hooks hooks);
    DriftWatch(const DriftWatch&) = delete;
    DriftWatch& operator=(const DriftWatch&) = delete;

    // Looks at the window's place a moment from now (one look pending per window).
    void scheduleDriftCheck(const AXElement& element, const Uuid& workspaceID);
    // Puts the window back into its pane when it left it, or gives up on it.
    void checkDrift(const AXElement& element, const Uuid& workspaceID);
    // Checks every window tracked in the workspace (after a resurfacing).
    void checkAllWindowsStayed(const Uuid& workspaceID);
    // The window is gone: nothing of it is kept.
    void forget(const AXElement& element) { memory_.forget(element); }

    DriftMemory& memory() { return memory_; }

private:
    MainQueue& queue;
    Shown shown;
    Hooks hooks;
    DriftMemory memory_;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
