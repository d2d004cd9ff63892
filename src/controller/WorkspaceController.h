#pragma once

#include "base/Geometry.h"
#include "base/Lifetime.h"
#include "base/Signal.h"
#include "base/Uuid.h"
#include "controller/AppIcons.h"
#include "controller/BlockedPrompt.h"
#include "controller/ChromeGuard.h"
#include "controller/ContainerChrome.h"
#include "controller/ControllerObservers.h"
#include "controller/DisplayFollower.h"
#include "controller/DisplaySet.h"
#include "controller/DividerKeeper.h"
#include "controller/DocumentChoosers.h"
#include "controller/DriftWatch.h"
#include "controller/FrameKeeper.h"
#include "controller/FullScreenWatch.h"
#include "controller/GlobalInput.h"
#include "controller/HomeOffers.h"
#include "controller/PaneFit.h"
#include "controller/PaneDocuments.h"
#include "controller/PaneEdits.h"
#include "controller/PaneMatChrome.h"
#include "controller/PendingPerWorkspace.h"
#include "controller/PlacementPass.h"
#include "controller/QuitGuards.h"
#include "controller/ReconcileSweep.h"
#include "controller/SessionMap.h"
#include "controller/ShowSequence.h"
#include "controller/ShowSteps.h"
#include "controller/ShownWorkspaces.h"
#include "controller/SoloMemory.h"
#include "controller/StageManagerGate.h"
#include "controller/SwitcherChrome.h"
#include "controller/ThreeColumnsFold.h"
#include "controller/UserMoves.h"
#include "controller/WindowDrag.h"
#include "controller/WindowEvents.h"
#include "controller/WorkspaceControllerEnvironment.h"
#include "controller/WorkspaceControllerParts.h"
#include "controller/WorkspaceControllerState.h"
#include "controller/WorkspaceControllerTypes.h"
#include "controller/WorkspaceRaiser.h"
#include "controller/WorkspaceSessions.h"
#include "controller/WorkspaceSwitcher.h"
#include "model/LayoutType.h"
#include "model/Workspace.h"
#include "platform/AccessibilityValue.h"
#include "platform/MainQueue.h"
#include "platform/RunningApplications.h"
#include "system/AXWindowController.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tessane {

class ExternalAppController;
class HiddenAppLedger;
class NoticeChrome;
class TipsChrome;
class WorkspaceManager;

// The controller of shown workspaces: shows, tiles, keeps in shape, switches, solos, moves, hides
// and tears down workspaces, and reacts to application, window, desktop, display, wake and Stage
// Manager events. One instance, made by the application delegate. Main thread only.
//
// It composes parts that own their state (the shown workspaces and their front order, the show,
// the tiling pass, the dividers, the user's moves, the raise, drift, the displays, the sessions'
// opening and ending...), each behind its own interface and lifetime; what stays here is the
// commands and events that join the parts, one source file per concern
// (WorkspaceController*.cpp). Every closure it hands to a collaborator, a work item, a timer or
// a monitor holds `lifetime` and does nothing once the controller is gone.
class WorkspaceController final {
public:
    // ------------------------------------------------ the values it takes and hands out (see WorkspaceControllerTypes.h)
    using TrackedWindow = workspace_controller::TrackedWindow;
    using WorkspaceSession = workspace_controller::WorkspaceSession;
    using ShortOfWindows = workspace_controller::ShortOfWindows;
    using WindowlessApp = workspace_controller::WindowlessApp;
    using PlacementReport = workspace_controller::PlacementReport;
    using ManagedPlacement = workspace_controller::ManagedPlacement;
    using ResolvedWindow = workspace_controller::ResolvedWindow;
    using RegionFront = workspace_controller::RegionFront;
    using FrameVisibility = workspace_controller::FrameVisibility;
    using UnhideOccasion = workspace_controller::UnhideOccasion;
    using SoloState = SoloMemory::State;
    using HomeOffer = workspace_controller::HomeOffer;
    using RememberedDocument = workspace_controller::RememberedDocument;
    using PaneFitReport = workspace_controller::PaneFitReport;
    using FrontWorkspaceMenu = workspace_controller::FrontWorkspaceMenu;

    static constexpr TimeInterval kDistantPast = workspace_controller::kDistantPast;

    // --------------------------------------------------------------------------- construction
    explicit WorkspaceController(WorkspaceControllerEnvironment environment);
    ~WorkspaceController();
    WorkspaceController(const WorkspaceController&) = delete;
    WorkspaceController& operator=(const WorkspaceController&) = delete;

    // The sorted names of the shown workspaces.
    const Published<std::vector<std::string>>& shownWorkspaceNames() const { return shownWorkspaces.names(); }
    // Told, with the new names, before each change (the status icon follows them).
    [[nodiscard]] Subscription observeShownWorkspaceNames(std::function<void(const std::vector<std::string>&)> observer) {
        return shownWorkspaces.observeNames(std::move(observer));
    }

    // When set, the quit confirmation asks it instead of showing an alert.
    std::function<bool(const std::string& workspaceName, int count)> quitConfirmPresenter;

    // --------------------------------------------------------------------------- commands
    void showWorkspace(const Uuid& id, std::function<void()> onShown = nullptr);
    // False when refused because the apps it would hide could not be noted (the user is told).
    bool hideWorkspace(const Uuid& id);
    void hideActiveWorkspace();
    void hideAllWorkspaces();
    void summonWorkspace(const Uuid& id);
    void bringActiveWorkspaceToCurrentDisplay();
    void restoreLayout(const Uuid& id);
    void saveLayout(const Uuid& id);
    void moveWorkspaceToDisplay(const Uuid& id, int screenIndex);
    void resetWorkspace(const Uuid& id);
    void releaseWorkspace(const Uuid& id);
    void closeWorkspaceApps(const Uuid& id);
    void deleteWorkspace(const Uuid& id);
    void focusAdjacentPane(int offset);
    void soloFocusedPane();
    void restoreFromSolo();
    void advanceSwitcher(int by);
    PaneFitReport paneFitReport();
    void recoverHiddenAppsFromPreviousRun();
    // Makes the chrome's icons of every workspace's apps ahead, one app per turn of the main
    // queue (an icon drawn from a scalable image takes a processor for ~10 ms): the first show of
    // each workspace then finds them made, as later shows do.
    void prepareAppIcons();
    void unhideAppsTessaneHid(UnhideOccasion occasion);
    void flushPendingFramePersists();
    void rememberAllDocuments();
    bool refreshStageManagerState(bool deferTransition);
    std::vector<ManagedApp> seedAppsFromCurrentWindows(int limit);
    std::optional<FrontWorkspaceMenu> frontWorkspaceActionsMenu();

    // Read access for the shell and the diagnostics report.
    const WorkspaceSession* session(const Uuid& id) const { return sessions.find(id); }
    const std::optional<SoloState>& currentSoloState() const { return solo.current(); }
    // Its parts, each behind its own interface, for a test that drives one of them.
    WorkspaceControllerParts parts();

private:
    // ====================================================================== collaborators
    WorkspaceControllerEnvironment env;
    MainQueue& queue;
    WorkspaceManager& manager;
    HiddenAppLedger& hiddenApps;
    std::unique_ptr<ExternalAppController> appController;
    AXWindowController axController;
    std::unique_ptr<NoticeChrome> notice;
    std::unique_ptr<TipsChrome> workspaceTips;
    AppIcons icons;  // after the app controller it asks

    // ====================================================================== shown workspaces
    ShownWorkspaces shownWorkspaces;  // before every part that reads the sessions
    // The shown workspaces' own map, named here as the bodies have always named it.
    SessionMap<WorkspaceSession>& sessions;
    SoloMemory solo;

    // ====================================================================== prompts
    BlockedPrompt blockedPrompt;

    // ====================================================================== timers and work
    QuitGuards quitGuards;  // after the quit confirmation's presenter it asks

    // ====================================================================== displays
    DisplaySet displays;
    HomeOffers homeOffers;  // after the sessions, the notice and the displays it reads
    FrameKeeper frames;

    // ====================================================================== drags
    WindowDrag drag;

    // ====================================================================== the tiling pass
    PlacementPass tiling;
    PaneDocuments documents;  // after the tiling pass, whose log it writes to
    ReconcileSweep sweep;  // the tiling pass's follow-up while a pane is empty
    ThreeColumnsFold columns;  // after the tiling pass, the displays and the notice it uses

    // ====================================================================== switcher
    std::unique_ptr<WorkspaceSwitcher> switcher;

    // ====================================================================== parts
    DocumentChoosers choosers;
    ChromeGuard guard;  // after the choosers it reads
    StageManagerGate stage;
    DividerKeeper dividers;  // after the drag, the columns, the tiling pass and the stage it uses
    DriftWatch drift;  // after the tiling pass, the drag and the stage it reads
    FullScreenWatch fullScreen;
    UserMoves gestures;  // after the frames, the tiling pass, the dividers and the full-screen watch it uses
    WorkspaceRaiser raiser;  // after the stage and the guard it uses
    ControllerObservers observers;
    WindowEvents windowEvents;  // after the observers, the sweep and the user's moves it tells
    ShowSequence show;
    PaneEdits edits;  // after the show, the tiling pass and the columns it uses
    DisplayFollower follower;  // after the home offers, the stage and the guard it uses
    WorkspaceSessions workspaceSessions;  // after every part a session's opening and ending tell

    LifetimeToken lifetime;  // last: gone first, before anything a late closure could touch

    // ====================================================================== construction, wiring
    void handleFocusedWindowChanged();
    std::optional<ManagedApp> soloedApp(const SoloState& state) const;
    void handleWake();
    ControllerObservers::Handlers observerHandlers();
    WorkspaceSessions::Hooks sessionHooks();
    // What the parts ask of the controller, each bound here once.
    HomeOffers::Hooks homeOfferHooks();
    ThreeColumnsFold::Hooks columnHooks();
    ChromeGuard::Hooks guardHooks();
    FullScreenWatch::Hooks fullScreenHooks();
    UserMoves::Hooks gestureHooks();
    ShowSequence::Hooks showHooks();

    // ====================================================================== lifecycle
    void handleAppTerminated(const RunningApplication& app);
    void handleAppLaunched(const RunningApplication& app);

    // ====================================================================== activation
    void handleAppActivated(const RunningApplication& app);

    // ====================================================================== show
    void presentError(const std::string& message, const std::string& informative);
    void refuseUnrecordedHide(const std::string& workspaceName, const std::string& why);
    std::optional<Rect> focusedManagedWindowFrameCocoa();
    Rect currentContainerAXRect(const Workspace& workspace);

    // ====================================================================== placement
    PlacementPass::Hooks placementHooks();
    bool appHasNativeFullScreenWindow(Pid pid) const;
    std::vector<Rect> managedWindowFramesAX(const Workspace& workspace);

    // ====================================================================== keeping in shape
    ReconcileSweep::Hooks sweepHooks();

    // ====================================================================== commands' helpers
    void applySolo(const Uuid& appID, const Workspace& workspace, WorkspaceSession& session);
    // Clears the solo and gives its workspace's chrome back its shields and divider handles.
    // Returns the workspace that was soloed.
    std::optional<Uuid> endSoloChrome();
    // With window control: places the workspace's windows (learning minimum sizes afterwards)
    // and brings its applications forward, the primary one last.
    void placeAndBringForward(const Uuid& workspaceID);
    std::unique_ptr<WorkspaceSwitcher> makeSwitcher();
    // Shows the workspace the switcher chose and puts away the others shown on its display.
    void switchTo(const Uuid& target);

};

}  // namespace tessane
