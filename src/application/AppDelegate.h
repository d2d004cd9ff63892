#pragma once

#include "controller/WorkspaceControllerEnvironment.h"
#include "shell/AppTheme.h"
#include "shell/LinkRouter.h"
#include "application/MenuBarController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class ControllerLinkTarget;
class Defaults;
class HiddenAppLedger;
class LoginItems;
class StatusItem;
class UpdateManager;
class Updater;
class WorkspaceController;
class WorkspaceFileWatcher;
class WorkspaceManager;

// What the application shell reaches beyond the workspace controller's environment. Every part
// may be left unset: start-up then skips it (and says so where the user would miss it).
struct ShellEnvironment {
    // The tray icon; none: treated as a desktop without a tray.
    StatusItem* statusItem = nullptr;
    // The update framework; none: this build offers no updates.
    Updater* updater = nullptr;
    LoginItems* loginItems = nullptr;
    // Applies the stored appearance: light or dark, or none to follow the desktop.
    std::function<void(std::optional<AppTheme>)> applyTheme;
    // Installs the keys our own windows share (Ctrl+Q quits from any of them).
    std::function<void()> installMainMenu;
    // Ends the event loop ("Quit Tessane").
    std::function<void()> quit;
    // The windows the status menu opens (the builder's manager and alerts are filled in).
    WorkspaceBuilderController::Services builder;
    OnboardingController::Services onboarding;
    SettingsWindowController::Services settings;
    std::function<Diagnostics::Snapshot(const WorkspaceManager&, WorkspaceController&)> captureDiagnostics;
};

// The running system, built once launching has finished and taken down in a fixed order at quit.
// It owns the workspace manager, the hidden-app ledger, the workspace controller, the update
// manager, the status menu (with the global shortcuts) and the links that arrive before the
// controller exists. No toolkit here: the program's entry point calls these operations from its
// event loop and its quit signals.
class AppDelegate {
public:
    // The controller's environment without the manager and the ledger, which start-up makes.
    explicit AppDelegate(WorkspaceControllerEnvironment environment, ShellEnvironment shell = {});
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Makes this user's desktop hand tessane: links to us, once, right after the start line;
    // returns its log line, empty when there was nothing to do. Left unset, start-up skips it.
    void setLinkHandlerRegistration(std::function<std::string()> registration) {
        linkHandlerRegistration_ = std::move(registration);
    }

    void applicationDidFinishLaunching();
    // The quit sequence; only the first call does anything, and nothing at all before the
    // controller exists. Nothing is hidden, torn down or moved: every app Tessane hid comes back.
    // `userQuit`: the user asked (an alert may still be shown), not a signal or the session.
    void applicationWillTerminate(bool userQuit = false);
    // Links from the command line or a second instance: queued until start-up has finished.
    void openLinks(const std::vector<std::string>& urls) { inbox_.receive(urls); }
    // A second instance's links: all queued, or none when they don't fit (false).
    bool offerLinks(const std::vector<std::string>& urls) { return inbox_.offer(urls); }
    // The settings window, as the menu's "Settings…" opens it (`tessane --settings`); asked
    // before start-up has finished, it opens at the end of start-up.
    void openSettingsWindow();

    WorkspaceController* workspaceController() const { return workspaceController_.get(); }
    WorkspaceManager* manager() const { return manager_.get(); }
    MenuBarController* menuBarController() const { return menuBarController_.get(); }
    UpdateManager* updateManager() const { return updateManager_.get(); }

    // The advice that ends the warning about a program not installed: a folder every user can
    // write, as the README's own install does.
    static constexpr const char* kInstallAdvice =
        "To install it: cmake --install build --prefix ~/.local --strip, then run ~/.local/bin/tessane "
        "(or install its Debian package: scripts/package).";
    static std::string noTrayLine();

    // The appearance a stored `appTheme` asks for: only the exact values "light" and "dark"
    // fix one; anything else (also "system" and no value) follows the desktop.
    static std::optional<AppTheme> fixedAppearance(const Defaults& defaults);

private:
    void logLocationWarnings() const;
    MenuBarController::Services menuBarServices();
    void showWelcomeIfNeeded();

    WorkspaceControllerEnvironment environment_;
    ShellEnvironment shell_;
    std::unique_ptr<StatusItem> noTray_;  // stands in when no tray icon was given
    std::function<std::string()> linkHandlerRegistration_;
    LinkInbox inbox_{*environment_.platform.mainQueue};
    // Declared in start-up order: taken down last first.
    std::unique_ptr<WorkspaceManager> manager_;
    std::unique_ptr<WorkspaceFileWatcher> fileWatcher_;
    std::unique_ptr<HiddenAppLedger> hiddenApps_;
    std::unique_ptr<WorkspaceController> workspaceController_;
    std::unique_ptr<ControllerLinkTarget> linkTarget_;
    std::unique_ptr<UpdateManager> updateManager_;
    std::unique_ptr<MenuBarController> menuBarController_;
    bool launched_ = false;
    bool settingsRequested_ = false;
    bool terminated_ = false;
};

}  // namespace tessane
