#pragma once

#include "base/Lifetime.h"
#include "base/Uuid.h"
#include "controller/SessionMap.h"
#include "controller/ShowSteps.h"
#include "controller/WorkspaceControllerTypes.h"
#include "model/Workspace.h"
#include "platform/AccessibilityValue.h"
#include "platform/MainQueue.h"
#include "platform/Platform.h"
#include "system/AccessibilityPermission.h"

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

class AXWindowController;
class BlockedPrompt;
class ContainerChrome;
class DisplaySet;
class ExternalAppController;
class FrameKeeper;
class FullScreenWatch;
class HiddenAppLedger;
class NoticeChrome;
class PlacementPass;
class RaiseSequence;
class ReconcileSweep;
class StageManagerGate;
class TipsChrome;
class WorkspaceManager;

// The show of a workspace: its applications launch or unhide without taking focus, the gates
// that can stop it run in their fixed order (count, Accessibility, Stage Manager, applications
// short of windows), the container goes up, and the wait for windows tiles them as they come.
// While window control is away a show waits for it. It keeps what a show leaves behind: the
// launches still out, the documents awaited, the wait for windows under way.
class ShowSequence final {
public:
    using WorkspaceSession = workspace_controller::WorkspaceSession;
    using ShortOfWindows = workspace_controller::ShortOfWindows;
    using WindowlessApp = workspace_controller::WindowlessApp;
    using PlacementReport = workspace_controller::PlacementReport;
    using RememberedDocument = workspace_controller::RememberedDocument;

    // What the show reaches besides the ports.
    struct Parts {
        WorkspaceManager& manager;
        HiddenAppLedger& hiddenApps;
        SessionMap<WorkspaceSession>& sessions;
        ExternalAppController& apps;
        AXWindowController& axController;
        PlacementPass& tiling;
        ReconcileSweep& sweep;
        StageManagerGate& stage;
        FullScreenWatch& fullScreen;
        RaiseSequence& raise;
        BlockedPrompt& prompt;
        NoticeChrome& notice;
        TipsChrome& tips;
        DisplaySet& displays;
        FrameKeeper& frames;
    };

    // What the show asks of the controller around it.
    struct Hooks {
        std::function<void()> supersedeRaise;
        std::function<void(const std::string& message, const std::string& informative)> presentError;
        std::function<std::vector<RememberedDocument>(const std::vector<ManagedApp>&)> rememberedDocuments;
        std::function<bool(Pid)> hasNativeFullScreenWindow;
        std::function<void(const AXElement& chooser, const Uuid& workspaceID)> noteOwnChooser;
        std::function<bool(const Workspace&)> chooserUp;
        // The frame (Accessibility coordinates) the workspace's container would like.
        std::function<Rect(const Workspace&)> containerRect;
        // The workspace as its panes fold for the frame.
        std::function<Workspace(const Workspace&, const Rect&)> foldForFrame;
        // Makes the workspace the active, front one, with a session.
        std::function<void(const Workspace&)> openSession;
        std::function<void(ContainerChrome&, const Workspace&)> prepareChrome;
        std::function<void(const Uuid&)> hide;
    };

    ShowSequence(MainQueue& queue, const Platform& platform, std::string ownBundleIdentifier,
                 std::function<AccessibilityPermission::Identity()> identity, Parts parts, Hooks hooks);
    ShowSequence(const ShowSequence&) = delete;
    ShowSequence& operator=(const ShowSequence&) = delete;

    // Shows the workspace; `onShown` runs once its container is up.
    void show(const Uuid& id, std::function<void()> onShown = nullptr);
    // Puts the workspace's container up at the frame it would like, kept usable on the displays.
    void showContainerFrame(const Workspace& given);
    // Places the workspace's windows and reports what the pass could not do.
    void tileAndReport(const Workspace& workspace);
    // What follows a tile's placement pass: the shields out of a document chooser's way,
    // fullscreen chrome, focus, the alert of what could not be arranged, the reconcile sweep and
    // the tips. `activated`: the app the show has just activated, not asked again.
    void reportTile(const Workspace& workspace, const PlacementReport& report,
                    std::optional<Pid> activated = std::nullopt);
    std::vector<ShortOfWindows> appsShortOfWindows(const Workspace& workspace, const std::set<std::string>& skipping);
    void presentShortOfWindowsBlock(const std::vector<ShortOfWindows>& shortApps, std::function<void()> onRetry);
    // Asks the applications with no window at all to reopen (when `reopenApps`) and says in the
    // notice card what the workspace waits for.
    void inviteWindowlessApps(const Workspace& workspace, bool reopenApps);
    // Whether a running application of the shown workspace has no tracked window yet.
    bool isStillLoading(const Uuid& workspaceID);

    // While window control is away (its manager being replaced) a show waits for it, and what a
    // placement could not do is no application's doing: both go on once it is back.
    bool windowControlAway(bool placeAgain);
    // A hide drops the workspace's show waiting for window control.
    void dropWaitingShow(const Uuid& workspaceID);

    // The documents a pane waits for, by pane, until when.
    bool documentAwaited(const Uuid& appID) const;
    void documentFound(const Uuid& appID);
    const std::map<Uuid, TimeInterval>& awaitingDocuments() const { return awaitingDocument; }
    // The launches of a show not yet answered, by workspace.
    std::map<Uuid, std::set<std::string>>& pendingLaunches() { return launchesOut; }
    // While the show moves the windows before its chrome is up, the ratios for that chrome are
    // held; false when they are not (the chrome takes them now).
    bool holdRatios(const Uuid& workspaceID, const std::vector<double>& ratios);
    std::optional<std::vector<double>> heldRatios(const Uuid& workspaceID) const;
    // Drops what it keeps of a workspace no longer shown.
    void forget(const Uuid& workspaceID) { launchesOut.erase(workspaceID); }

private:
    bool refuse(const Workspace& ws);  // no apps, or not as many as the layout tiles
    ShowLaunches launch(const Workspace& ws);
    void launchApp(const ManagedApp& app, const Workspace& ws, const std::shared_ptr<LaunchGroup>& group);
    std::optional<ShowStop> stopsAtGate(const Workspace& ws, std::set<std::string>& launching);
    bool awaitsWindowControl(const Workspace& ws, std::function<void()>& onShown);
    void windowControlSettled();
    // Running applications asked for the remembered documents they are not showing.
    void openMissingDocuments(const Workspace& ws, std::set<std::string>& launching);
    void activate(const std::optional<RunningApplication>& app, const Uuid& workspaceID);
    void putUp(const Workspace& ws, TimeInterval start, const ShowLaunches& launches,
               const std::optional<RunningApplication>& toActivate);
    // showContainerFrame in two halves; between them a show may already move the windows.
    std::optional<OpenedFrame> openContainerFrame(const Workspace& given);
    void putChromeUp(const OpenedFrame& opened);
    WindowReadiness windowReadiness(const Workspace& workspace);
    // Whether the windows of a workspace being shown can be tiled at once, before its chrome is
    // up: every application has its main window, none is short of windows, and the tiles are
    // large enough (so no alert can come before the container).
    bool readyToTileAtOnce(const Workspace& workspace);
    void tileWhenWindowsReady(const Uuid& workspaceID, int attempt, int launchWaits, int placedWindowCount);
    void reopenWindowlessApps(const std::vector<ManagedApp>& apps, const std::set<std::string>& skipping);
    void reportIssues(const std::string& workspaceName, const std::vector<std::string>& missing,
                      const std::vector<std::string>& launchErrors);
    void maybeShowTips(const Workspace& workspace, bool blockedByFullScreen);

    MainQueue& queue;
    Platform platform;
    std::string ownBundleIdentifier;
    std::function<AccessibilityPermission::Identity()> identity;
    Parts parts;
    Hooks hooks;

    std::map<Uuid, std::set<std::string>> launchesOut;
    // Per workspace, the generation of its wait for windows: a newer show's wait replaces an older.
    std::map<Uuid, uint64_t> readinessChains;
    std::map<Uuid, TimeInterval> awaitingDocument;
    bool openingDocumentNoticeShown = false;
    std::optional<std::string> lastOpeningNoticeLogged;
    std::optional<DeferredChrome> deferredChrome;
    // What waits for window control while the window manager is being replaced: the shows asked
    // meanwhile (in order, each workspace once) and whether the shown workspaces are placed again.
    struct WindowControlWait {
        bool awaited = false;  // the platform runs windowControlSettled once it is back
        std::vector<std::pair<Uuid, std::function<void()>>> shows;
        bool placeAgain = false;
    } windowControlWait;
    LifetimeToken lifetime;  // last: gone first
};

}  // namespace tessane
