#pragma once

#include "base/Base64.h"
#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/PlacementPass.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/Workspace.h"
#include "platform/AccessibilityValue.h"
#include "platform/MainQueue.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tessane {

class AXWindowController;
class Accessibility;
class DisplaySet;
class DividerKeeper;
class FrameKeeper;
class FullScreenWatch;
class GlobalInput;
class Screens;
class SoloMemory;
class WindowDrag;
class WorkspaceManager;
namespace GestureRules {
struct WindowSizing;
}

// The user's hand on a tiled window: while a window of a shown workspace moves or resizes, the
// click shields and divider handles step aside and a drop preview shows the pane it would land
// in; once the change is over (mouse-up, or a moment after the last event of a change made
// without the pointer) the layout is enforced: nothing, a pane swap, a reflow from the resize, or
// a snap back. The enforcement is kept in one slot for whichever workspace changed last.
class UserMoves final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;
    using TrackedWindow = workspace_controller::TrackedWindow;

    struct Shown {
        WorkspaceManager& manager;
        const SessionMap<WorkspaceSession>& sessions;
        AXWindowController& ax;
        Accessibility& accessibility;
        const Screens& screens;
        GlobalInput* input;  // may be absent: then no button is ever down and no pointer known
        DisplaySet& displays;
        FrameKeeper& frames;
        PlacementPass& tiling;
        DividerKeeper& dividers;
        FullScreenWatch& fullScreen;
        WindowDrag& drag;
        const SoloMemory& solo;
    };
    // What stays the controller's: the resurfacing under way, the container, the icons, and the
    // store of a pane order it chose itself.
    struct Hooks {
        std::function<bool()> isResurfacing;
        std::function<Rect(const Workspace&)> containerRect;
        std::function<std::vector<Bytes>(const Workspace&)> appIcons;
        std::function<void(const Workspace&)> storeOwnPaneEdit;
    };

    UserMoves(MainQueue& queue, Shown shown, Hooks hooks);
    ~UserMoves();
    UserMoves(const UserMoves&) = delete;
    UserMoves& operator=(const UserMoves&) = delete;

    // A window of the shown workspace moved or resized, not by Tessane (`movedWindow`: the one
    // whose event told it, when known).
    void handleManagedWindowChangedByUser(const Uuid& workspaceID, const std::optional<AXElement>& movedWindow);
    // The workspace is put away: its drop preview and drag records go, and the pending
    // enforcement too when `lastShown` (it can then only be this workspace's).
    void forget(const Uuid& workspaceID, bool lastShown);
    // The pending enforcement stops (at teardown).
    void stop();

    std::shared_ptr<WorkItem>& enforceWorkItem() { return enforce; }

private:
    void beginWindowDrag(const Uuid& workspaceID);
    void updateDropPreview(const Uuid& workspaceID, const std::optional<AXElement>& movedWindow);
    void finishWindowDrag(const Uuid& workspaceID);
    void performEnforceSnap(const Uuid& workspaceID);
    bool managedWindowDeviatesFromExpected(const Workspace& workspace);
    bool swapPanesIfWindowDroppedInAnother(const Workspace& workspace);
    bool reflowFromUserResize(const Workspace& workspace);
    // What is known of a pane's window besides its frame (GestureRules::windowResized): the size
    // it was last seen at and, when its size is off its tile, the steps its size changes in.
    GestureRules::WindowSizing paneWindowSizing(const Uuid& workspaceID, const Uuid& appID,
                                                const PlacementPass::PaneWindow& window, const Rect& tile);

    MainQueue& queue;
    Shown shown;
    Hooks hooks;
    std::shared_ptr<WorkItem> enforce;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
