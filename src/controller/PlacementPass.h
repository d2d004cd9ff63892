#pragma once

#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/PlacementToken.h"
#include "model/Workspace.h"
#include "platform/AccessibilityValue.h"
#include "platform/MainQueue.h"
#include "platform/Platform.h"
#include "platform/RunningApplications.h"
#include "system/AXWindowController.h"
#include "system/ManagedWindowCache.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tessane {

class ExternalAppController;
class WindowDrag;
class WorkspaceManager;

// The tiling pass: one tile per pane, the window that belongs to each pane (remembered per pane
// so the next pass places the same one), the move into the tile, and what went wrong in words
// the user can read. Every path that puts a shown workspace's windows back into their panes ends
// here. It also keeps what its moves leave behind: the short guard during which the window
// manager's answers to them are not taken for the user's, the second half of a move to another
// display, and the refusals already logged.
class PlacementPass final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;
    using TrackedWindow = workspace_controller::TrackedWindow;
    using PlacementReport = workspace_controller::PlacementReport;
    using ManagedPlacement = workspace_controller::ManagedPlacement;
    using ResolvedWindow = workspace_controller::ResolvedWindow;

    // What the pass asks of the controller around it.
    struct Hooks {
        std::function<bool()> stageManagerActive;
        // The workspace as a three-column fold would tile it now.
        std::function<Workspace(const Workspace&)> foldThreeColumns;
        std::function<Rect(const Workspace&)> containerRect;  // the container's frame, AX coordinates
        std::function<std::optional<uint32_t>(const Rect&)> displayID;
        std::function<bool(Pid)> hasNativeFullScreenWindow;
        // Whether window control is away (a placement's failure is then nobody's doing).
        std::function<bool()> windowControlAway;
        std::function<void(const AXElement&, const ManagedApp&)> rememberDocument;
        std::function<std::vector<ManagedApp>(const ManagedApp&)> siblingPanes;
        // Whether the pane's document is still on its way (no other window is taken meanwhile),
        // and that it was found.
        std::function<bool(const Uuid& appID)> documentAwaited;
        std::function<void(const Uuid& appID)> documentFound;
        std::function<void()> windowsRebound;  // the shown workspaces' windows changed
        std::function<void(const Uuid&)> learnMinimums;
        // The ratios a pass settled on, for the workspace's chrome.
        std::function<void(const Workspace&, const std::vector<double>&)> showRatios;
    };

    // A pane's window, with its frame (none when unreadable).
    struct PaneWindow {
        AXElement element;
        std::optional<Rect> frame;
    };

    PlacementPass(MainQueue& queue, const Platform& platform, WorkspaceManager& manager,
                  SessionMap<WorkspaceSession>& sessions, ExternalAppController& apps, AXWindowController& axController,
                  WindowDrag& drag, Hooks hooks);
    PlacementPass(const PlacementPass&) = delete;
    PlacementPass& operator=(const PlacementPass&) = delete;

    // ------------------------------------------------------------------------------ tiles
    // The workspace's effective ratios and its tiles, one per pane.
    std::pair<std::vector<double>, std::vector<Rect>> tileRects(const Workspace& workspace);
    static bool tilesTooSmall(const std::vector<Rect>& rects);

    // ------------------------------------------------------------------------- placing
    // Places every pane's window into its tile. `quiet`: no alert when the tiles are too small
    // and no log of windows off their tiles.
    PlacementReport placeWindows(const Workspace& workspace, bool quiet, bool scheduleLearn);
    AXWindowController::PlacementOutcome placeWindow(const AXElement& window, const Rect& rect,
                                                     const std::string& appName);
    // Makes earlier placement work (a second phase, a wait planned for a pass) stand down.
    void standDown() { placement.advance(); }
    int64_t generation() const { return placement.current(); }

    // --------------------------------------------------------------------- pane windows
    std::optional<ResolvedWindow> resolveWindow(const ManagedApp& app, const RunningApplication& running);
    // The pane's window as resolveWindow would choose it, without binding or remembering anything.
    std::optional<AXElement> peekPaneWindow(const ManagedApp& app, const RunningApplication& running);
    // The frame of the pane's window: its application running and launched, its window resolved
    // and its position and size readable; none otherwise.
    std::optional<Rect> paneWindowFrame(const ManagedApp& app);
    // The pane's window, resolved as for paneWindowFrame, with its frame.
    std::optional<PaneWindow> paneWindow(const ManagedApp& app);
    // The pane's window only when a pass or the sweep put it into the pane (the session tracks
    // it): a window that turned up since still has the size it opened with.
    std::optional<PaneWindow> placedPaneWindow(const Uuid& workspaceID, const ManagedApp& app);
    // The window remembered for each pane.
    ManagedWindowCache<AXElement>& windows() { return windowCache; }
    // The list of workspaces or the shown sessions changed: the next lookup drops the remembered
    // windows of panes no workspace holds any more.
    void notePanesChanged() { paneCachePruneDue = true; }
    uint64_t cachePrunes() const { return paneCachePrunes; }

    // ------------------------------------------------------ what the moves leave behind
    // Holds the guard for a moment: the window manager's answers to a move are ours, not the user's.
    void beginGuard();
    bool isGuarding() const { return guardCount != 0; }
    int guardDepth() const { return guardCount; }
    void setGuardDepth(int depth) { guardCount = depth; }  // as if that many moves were under way
    bool hasSecondPhase(const AXElement& window) const { return pendingSecondPhase.count(window) > 0; }
    size_t secondPhases() const { return pendingSecondPhase.size(); }
    // Logs the refusal once per size the window keeps instead of its tile.
    void noteRefusal(const ManagedApp& app, const Rect& actual, const Rect& requested, const AXElement& window);
    void forgetRefusal(const Uuid& appID) { lastLoggedRefusal.erase(appID); }

    // ------------------------------------------------------------------------- its log
    // Log lines of a placement held back: the panes' while a pass moves them all together, so
    // that they come out pane by pane as when one pane was placed after another, and a whole
    // pass's while a show moves the windows before its chrome is up and logs that first.
    // Straight to the log when nothing holds them.
    void log(const std::string& line);
    void holdLines(std::vector<std::string>* lines) { heldLines = lines; }

private:
    struct PassPane;  // placeWindows in its steps: choose every pane's window, move them, settle, record
    // A pane's window before it is moved: decided at once (no window yet, fullscreen), or the
    // window to move and whether it came from the cache.
    struct PaneChoice {
        std::optional<ManagedPlacement> decided;
        AXElement window;
        bool fromCache = false;
    };

    std::vector<PassPane> choosePassWindows(const Workspace& workspace, const std::vector<Rect>& rects,
                                            const PlacementToken& token);
    void movePassWindows(std::vector<PassPane>& panes);
    PlacementReport settlePassWindows(std::vector<PassPane>& panes, std::vector<TrackedWindow>& tracked);
    void recordPass(const Workspace& workspace, std::vector<TrackedWindow> tracked,
                    const std::vector<double>& effective);
    ManagedPlacement placeManagedWindow(const ManagedApp& app, const RunningApplication& running, const Rect& rect,
                                        std::vector<std::string>& issues);
    PaneChoice choosePaneWindow(const ManagedApp& app, const RunningApplication& running);
    // What the move of a chosen window makes of the pane; a cached window that has gone is
    // replaced by a fresh choice, placed at once.
    ManagedPlacement settlePaneWindow(const ManagedApp& app, const RunningApplication& running, const Rect& rect,
                                      const PaneChoice& choice, const AXWindowController::PlacementOutcome& outcome,
                                      std::vector<std::string>& issues);
    // The first half of a move to another display, when the window is on one display and the
    // target on another; none (and nothing done) otherwise.
    std::optional<AXWindowController::PlacementOutcome> placeAcrossDisplays(const AXElement& window, const Rect& rect,
                                                                            const std::string& appName);
    void logPlacementDeviation(const Workspace& workspace, const std::vector<Rect>& rects);
    void persistRatiosIfChanged(const std::vector<double>& ratios, const Workspace& workspace);
    // Drops the cached windows of panes no workspace holds any more. The walk over every pane of
    // every workspace runs once after each change of the list or of the shown sessions (a lookup
    // finds the mark), never per lookup: a list of thousands of workspaces made it most of a show.
    void pruneCacheForRemovedPanes();

    MainQueue& queue;
    Platform platform;
    WorkspaceManager& manager;
    SessionMap<WorkspaceSession>& sessions;
    ExternalAppController& apps;
    AXWindowController& axController;
    WindowDrag& drag;
    Hooks hooks;

    ManagedWindowCache<AXElement> windowCache;
    bool paneCachePruneDue = true;
    uint64_t paneCachePrunes = 0;
    PlacementGeneration placement;
    int guardCount = 0;
    // Keyed by the window element itself: the token of its pending second placement.
    std::map<AXElement, Uuid> pendingSecondPhase;
    // The workspace a tiling pass is placing, while it runs: its cross-display second phases
    // carry it and stand down when the workspace was hidden or released meanwhile.
    std::optional<Uuid> placingWorkspace;
    std::map<Uuid, Rect> lastLoggedRefusal;
    std::set<Uuid> loggedNoSpareWindow;
    std::vector<std::string>* heldLines = nullptr;
    // While a pass chooses its windows: where resolveWindow leaves the window whose document is
    // to be remembered, read once the windows have moved (a process's files and recent lists
    // are slow, and decide nothing when the pane remembers no document).
    std::optional<AXElement>* documentReadAfterMoves = nullptr;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
