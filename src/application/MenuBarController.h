#pragma once

#include "base/Base64.h"
#include "base/Lifetime.h"
#include "base/Signal.h"
#include "base/Uuid.h"
#include "builder/OnboardingController.h"
#include "builder/WorkspaceBuilderController.h"
#include "model/LayoutType.h"
#include "model/ManagedApp.h"
#include "platform/MainQueue.h"
#include "platform/Screens.h"
#include "platform/StatusItem.h"
#include "settings/SettingsRouter.h"
#include "settings/SettingsWindowController.h"
#include "shell/Diagnostics.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class Alerts;
class Applications;
class EventMonitors;
class HotKeys;
class ShortcutBindings;
class ShortcutManager;
class UpdateManager;
class WorkspaceController;
class WorkspaceManager;
struct Workspace;

// The tray icon and its menu, the global shortcuts, and the windows the menu opens: the hub of
// the application shell. Made once at start-up and kept until quit. The icon and its tool tip
// follow the shown workspaces and a waiting update; the menu lists the workspaces with their
// chords and every command. The menu is built anew only when the list of workspaces (ids, names,
// primary apps) changes; otherwise its rows are refreshed in place, when the menu opens and on
// every change of state we can observe (some tray hosts never say that the menu opens). The
// builder, the welcome panel and the settings window are each made on first use and kept.
// Main thread only.
class MenuBarController {
public:
    struct Services {
        WorkspaceManager* manager = nullptr;
        WorkspaceController* controller = nullptr;
        StatusItem* statusItem = nullptr;
        HotKeys* hotKeys = nullptr;
        MainQueue* queue = nullptr;
        const Screens* screens = nullptr;
        const EventMonitors* pointer = nullptr;  // where the mouse is
        Applications* applications = nullptr;    // opens the bug-report mail link
        Alerts* alerts = nullptr;
        UpdateManager* updates = nullptr;  // none: the build offers no updates
        WorkspaceBuilderController::Services builder;
        OnboardingController::Services onboarding;
        SettingsWindowController::Services settings;
        std::function<Diagnostics::Snapshot()> captureDiagnostics;
        // Ends the event loop; the application delegate's quit sequence follows.
        std::function<void()> quit;
    };

    // One workspace as the menu shows it: the menu is rebuilt only when this list changes.
    struct MenuKey {
        Uuid id;
        std::string name;
        std::optional<std::string> primaryBundle;
        bool operator==(const MenuKey&) const = default;
    };

    // Where the pointer was when the menu last opened (or was last built), and when.
    struct MenuOpening {
        std::optional<ScreenInfo> screen;
        TimeInterval at = 0;
    };

    static constexpr const char* kProductName = "Tessane";
    static constexpr const char* kStageManagerRow = "Stage Manager is on — tiling paused";
    static constexpr const char* kNoWorkspacesRow = "No Workspaces Yet — Create One…";
    // However many workspaces there are, the menu lists this many and then one row that opens
    // the settings window's Workspaces tab, so that it always fits on the screen.
    static constexpr size_t kMenuWorkspaceRows = 20;
    static constexpr const char* kMoreWorkspacesRow = "More Workspaces…";
    static constexpr const char* kShowLastRow = "Show Last Workspace";
    static constexpr const char* kReleaseRow = "Release Windows";
    static constexpr const char* kHideCurrentRow = "Hide Current Workspace";
    static constexpr const char* kHideAllRow = "Hide All Workspaces";
    static constexpr const char* kBringRow = "Bring to Current Display";
    static constexpr const char* kFocusedAppRow = "Focused App";
    static constexpr const char* kFocusNextRow = "Focus Next Pane";
    static constexpr const char* kFocusPreviousRow = "Focus Previous Pane";
    static constexpr const char* kSoloRow = "Solo Focused Pane";
    static constexpr const char* kThisWorkspaceRow = "This Workspace";
    static constexpr const char* kNewWorkspaceRow = "New Workspace…";
    static constexpr const char* kSettingsRow = "Settings…";
    static constexpr const char* kCheckForUpdatesRow = "Check for Updates…";
    static constexpr const char* kReportBugRow = "Report a Bug…";
    static constexpr const char* kQuitRow = "Quit Tessane";

    static constexpr const char* kShownTip = "Already shown — choose it to bring the whole group back to the front.";
    static constexpr const char* kNotShownTip = "Show this workspace.";
    static constexpr const char* kReleaseTip =
        "Stop tiling a workspace. Its windows stay on screen exactly where they are — free to move and resize. "
        "Showing it again puts them back.";
    static constexpr const char* kNoFrontWorkspaceTip = "Show a workspace to act on it.";
    static constexpr const char* kUpdateTip = "Install it now — Tessane restarts into the new version.";

    static constexpr int kTooltipNameLimit = 3;
    static constexpr int kSeedLimit = 2;
    static constexpr double kOpeningMemorySeconds = 60;
    static constexpr int kMailLimit = 1800;

    explicit MenuBarController(Services services);
    ~MenuBarController();
    MenuBarController(const MenuBarController&) = delete;
    MenuBarController& operator=(const MenuBarController&) = delete;

    // ------------------------------------------------------------------ icon and menu
    void configureButton();
    void rebuildMenu();
    void refreshUpdateRow();
    // The host is about to open the menu: records where and when, then refreshes every row.
    void menuNeedsUpdate();
    void refreshReleaseSubmenu();
    void refreshWorkspaceSubmenu();

    static StatusImage statusImage(bool live, bool badged);
    static std::string statusTooltip(const std::vector<std::string>& shown,
                                     const std::optional<std::string>& updateVersion, int nameLimit);
    static std::vector<MenuKey> menuKeys(const std::vector<Workspace>& workspaces);
    // The primary app's stored icon when it is a PNG image, else (a hand-edited list stores none)
    // the icon the app index has for it, as Settings and the switcher show; empty when neither.
    Bytes menuIcon(const Workspace& workspace) const;
    // The chord shown beside the workspace row at `position` (from 0); empty after the ninth.
    static std::string workspaceChord(size_t position);
    // The screen under `point`, else the main screen.
    std::optional<ScreenInfo> screenContaining(Point point) const;

    // ------------------------------------------------------------------ shortcuts
    void registerShortcuts();

    // ------------------------------------------------------------------ actions
    void showWorkspace(const std::string& representedObject);
    void releaseWorkspace(const std::string& representedObject);
    void showLastWorkspace();
    void hideCurrentWorkspace();
    void hideAllWorkspaces();
    void bringToCurrentDisplay();
    void focusNextPane();
    void focusPrevPane();
    void toggleSoloPane();
    void newWorkspace();
    void openSettings() { presentSettings(std::nullopt); }
    void openWorkspacesTab() { presentSettings(SettingsRouter::Tab::workspaces); }
    void installAvailableUpdate();
    void checkForUpdates() { installAvailableUpdate(); }
    void reportBug();
    void quit();

    // ------------------------------------------------------------------ presenters
    void openBuilder(const std::vector<ManagedApp>& seed);
    void showOnboarding(bool startAtAccessibility);
    void presentSettings(std::optional<SettingsRouter::Tab> tab);
    // What Create in the builder hands over: checked again, stored, laid out and shown.
    void builderCompleted(const std::string& name, LayoutType layout, const std::vector<ManagedApp>& apps);
    // Given to every show started here: a visible settings window is put away.
    std::function<void()> onShownStep();

    // ------------------------------------------------------------------ for the owner and tests
    const std::optional<MenuOpening>& menuOpenedOn() const { return menuOpenedOn_; }
    SettingsWindowController* settingsController() const { return settingsController_.get(); }
    WorkspaceBuilderController* workspaceBuilder() const { return workspaceBuilder_.get(); }
    OnboardingController* onboardingController() const { return onboardingController_.get(); }

private:
    // The open-time refresh; `recordOpening` is false for refreshes on a change of state.
    void refreshRows(bool recordOpening);
    // Something the menu shows changed: on the next turn, rebuild or refresh in place.
    void stateChanged();
    void followState();
    bool hasSessions() const;
    std::shared_ptr<StatusMenuRow> workspaceRow(const Workspace& workspace, std::string shortcut,
                                                std::function<void(MenuBarController&, const std::string&)> action);
    std::function<void()> act(void (MenuBarController::*member)());
    std::vector<ManagedApp> seed() const;

    Services services_;
    std::unique_ptr<ShortcutManager> shortcutManager_;
    std::unique_ptr<ShortcutBindings> shortcuts_;

    std::shared_ptr<StatusMenu> menu_;
    std::vector<MenuKey> builtKeys_;
    std::weak_ptr<StatusMenuRow> stageManagerNotice_;
    std::weak_ptr<StatusMenuRow> updateAvailableItem_;
    std::weak_ptr<StatusMenuRow> checkForUpdatesItem_;
    std::vector<std::shared_ptr<StatusMenuRow>> itemsNeedingFrontWorkspace_;
    std::weak_ptr<StatusMenuRow> showLastItem_;
    std::weak_ptr<StatusMenuRow> hideAllItem_;
    std::weak_ptr<StatusMenuRow> releaseSubmenuItem_;
    std::weak_ptr<StatusMenuRow> workspaceSubmenuItem_;
    std::optional<MenuOpening> menuOpenedOn_;

    std::unique_ptr<SettingsWindowController> settingsController_;
    std::unique_ptr<WorkspaceBuilderController> workspaceBuilder_;
    std::unique_ptr<OnboardingController> onboardingController_;

    std::vector<Subscription> subscriptions_;
    bool refreshPosted_ = false;
    LifetimeToken lifetime_;  // last: posted work and row actions do nothing once we are gone
};

}  // namespace tessane
