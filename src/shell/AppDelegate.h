#pragma once

#include "controller/WorkspaceControllerEnvironment.h"
#include "shell/LinkRouter.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessane {

class ControllerLinkTarget;
class HiddenAppLedger;
class ShortcutBindings;
class ShortcutManager;
class WorkspaceController;
class WorkspaceManager;

// The running system, built once launching has finished and taken down in a fixed order at quit.
// It owns the workspace manager, the hidden-app ledger, the workspace controller, the global
// shortcuts and the links that arrive before the controller exists. No toolkit here: the
// program's entry point calls these operations from its event loop and its quit signals.
//
// Not here yet (the menu-bar, main-menu, theme, welcome-panel, login-item and update pieces): the
// status menu, the main menu, the appearance, the welcome panel, the launch-at-login line and the
// updater. The shortcuts are bound here until the menu-bar controller takes them over.
class AppDelegate {
public:
    // The controller's environment without the manager and the ledger, which start-up makes.
    explicit AppDelegate(WorkspaceControllerEnvironment environment);
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
    void applicationWillTerminate();
    // Links from the command line or a second instance: queued until start-up has finished.
    void openLinks(const std::vector<std::string>& urls) { inbox_.receive(urls); }
    // Brings up the settings window (asked for by `tessane --settings`, here or in a later start).
    void openSettingsWindow();

    WorkspaceController* workspaceController() const { return workspaceController_.get(); }
    WorkspaceManager* manager() const { return manager_.get(); }

    // The advice that ends the warning about a program outside the install locations.
    static constexpr const char* kInstallAdvice =
        "For reliable Accessibility grants, use: cmake --install build --prefix /usr/local, then run /usr/local/bin/tessane.";

private:
    void logLocationWarnings() const;

    WorkspaceControllerEnvironment environment_;
    std::function<std::string()> linkHandlerRegistration_;
    LinkInbox inbox_;
    // Declared in start-up order: taken down last first.
    std::unique_ptr<WorkspaceManager> manager_;
    std::unique_ptr<HiddenAppLedger> hiddenApps_;
    std::unique_ptr<WorkspaceController> workspaceController_;
    std::unique_ptr<ControllerLinkTarget> linkTarget_;
    std::unique_ptr<ShortcutManager> shortcutManager_;
    std::unique_ptr<ShortcutBindings> shortcuts_;
    bool terminated_ = false;
};

}  // namespace tessane
