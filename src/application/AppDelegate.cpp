#include "application/AppDelegate.h"

#include "controller/ControllerDefaultsKeys.h"
#include "controller/WorkspaceController.h"
#include "model/HiddenAppLedger.h"
#include "model/HiddenAppStore.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStore.h"
#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/Defaults.h"
#include "platform/Environment.h"
#include "platform/MainQueue.h"
#include "platform/StatusItem.h"
#include "platform/WindowList.h"
#include "system/ShortcutText.h"
#include "settings/GeneralTab.h"
#include "shell/ControllerLinkTarget.h"
#include "shell/LoginItem.h"
#include "shell/UpdateManager.h"
#include "shell/WorkspaceFileWatcher.h"
#include "system/AccessibilityPermission.h"

namespace tessane {

namespace {

// The tray of a desktop that has none: the menu is kept, nobody shows it.
class NoStatusItem final : public StatusItem {
public:
    bool isAvailable() const override { return false; }
    void setImage(const StatusImage&) override {}
    void setToolTip(const std::string&) override {}
    void setMenu(std::shared_ptr<StatusMenu>) override {}
    void menuChanged() override {}
    void setMenuWillOpenHandler(std::function<void()>) override {}
};

}  // namespace

AppDelegate::AppDelegate(WorkspaceControllerEnvironment environment, ShellEnvironment shell)
    : environment_(std::move(environment)), shell_(std::move(shell)) {
    if (!shell_.statusItem) {
        noTray_ = std::make_unique<NoStatusItem>();
        shell_.statusItem = noTray_.get();
    }
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    const Platform& platform = environment_.platform;
    // First, so that every later line of start-up reaches the log file.
    Log::setFileLogging(platform.defaults->boolValue(GeneralTab::kLogToFileKey).value_or(false));
    const Environment& env = *platform.environment;
    Log::line("[Tessane] starting Tessane " + env.shortVersion().value_or("?") + " (build " +
              env.buildVersion().value_or("?") + ")");
    if (linkHandlerRegistration_)
        if (const std::string line = linkHandlerRegistration_(); !line.empty()) Log::line(line);
    if (shell_.applyTheme) shell_.applyTheme(fixedAppearance(*platform.defaults));
    if (shell_.installMainMenu) shell_.installMainMenu();

    manager_ = std::make_unique<WorkspaceManager>(WorkspaceStore::inDataFolder(env), *platform.applications);
    // A long list takes long to write: never on the main thread while the program runs.
    manager_->saveInBackground(*platform.mainQueue);
    if (platform.alerts)
        fileWatcher_ = std::make_unique<WorkspaceFileWatcher>(*manager_, platform.fileWatch, *platform.mainQueue,
                                                              *platform.alerts);
    hiddenApps_ = std::make_unique<HiddenAppLedger>(std::make_shared<UserDefaultsHiddenAppStore>(*platform.defaults));

    WorkspaceControllerEnvironment controllerEnvironment = environment_;
    controllerEnvironment.manager = manager_.get();
    controllerEnvironment.hiddenApps = hiddenApps_.get();
    workspaceController_ = std::make_unique<WorkspaceController>(std::move(controllerEnvironment));
    // From here on, links are acted on as they arrive (those queued so far wait for the end).
    linkTarget_ = std::make_unique<ControllerLinkTarget>(*manager_, *workspaceController_);
    inbox_.setTarget(linkTarget_.get());

    // The menu reads the update manager, so it comes first.
    if (shell_.updater) updateManager_ = std::make_unique<UpdateManager>(*shell_.updater, *platform.mainQueue);
    menuBarController_ = std::make_unique<MenuBarController>(menuBarServices());
    if (!shell_.statusItem->isAvailable()) Log::line(noTrayLine());

    workspaceController_->recoverHiddenAppsFromPreviousRun();
    const AccessibilityPermission permission(*platform.accessibility, environment_.identity);
    permission.logDiagnostics("launch");
    if (shell_.loginItems) LoginItem(*shell_.loginItems, *platform.mainQueue).logDiagnostics();
    logLocationWarnings();
    showWelcomeIfNeeded();
    inbox_.flush();
    launched_ = true;
    if (settingsRequested_) openSettingsWindow();
}

std::string AppDelegate::noTrayLine() {
    return "[Tessane] No system tray on this desktop: the Tessane icon and its menu can't be shown. The hot keys (" +
           shortcut_text::chord(shortcut_text::kOptionCommand, "1…9") +
           ") and tessane:// links still work; `tessane --settings` opens the settings window.";
}

std::optional<AppTheme> AppDelegate::fixedAppearance(const Defaults& defaults) {
    const auto raw = defaults.stringValue(kAppThemeKey);
    const auto theme = raw ? appThemeFromString(*raw) : std::nullopt;
    if (theme == AppTheme::system) return std::nullopt;
    return theme;
}

MenuBarController::Services AppDelegate::menuBarServices() {
    const Platform& platform = environment_.platform;
    MenuBarController::Services services;
    services.manager = manager_.get();
    services.controller = workspaceController_.get();
    services.statusItem = shell_.statusItem;
    services.hotKeys = platform.hotKeys;
    services.queue = platform.mainQueue;
    services.screens = platform.screens;
    services.pointer = platform.eventMonitors;
    services.applications = platform.applications;
    services.alerts = platform.alerts;
    services.updates = updateManager_.get();
    services.builder = shell_.builder;
    services.onboarding = shell_.onboarding;
    if (!services.onboarding.defaults) services.onboarding.defaults = platform.defaults;
    if (!services.onboarding.mainQueue) services.onboarding.mainQueue = platform.mainQueue;
    if (!services.onboarding.accessibility) services.onboarding.accessibility = platform.accessibility;
    services.settings = shell_.settings;
    if (!services.settings.queue) services.settings.queue = platform.mainQueue;
    if (!services.settings.screens) services.settings.screens = platform.screens;
    if (shell_.captureDiagnostics)
        services.captureDiagnostics = [capture = shell_.captureDiagnostics, this] {
            return capture(*manager_, *workspaceController_);
        };
    services.quit = shell_.quit;
    return services;
}

// A first run opens the welcome panel at its start; a later run without window control opens it
// at the step that explains it.
void AppDelegate::showWelcomeIfNeeded() {
    const Platform& platform = environment_.platform;
    if (!OnboardingController::hasSeenOnboarding(*platform.defaults))
        menuBarController_->showOnboarding(false);
    else if (!platform.accessibility->isProcessTrusted())
        menuBarController_->showOnboarding(true);
}

void AppDelegate::openSettingsWindow() {
    if (!launched_) {
        settingsRequested_ = true;
        return;
    }
    settingsRequested_ = false;
    menuBarController_->openSettings();
}

void AppDelegate::logLocationWarnings() const {
    const AccessibilityPermission permission(*environment_.platform.accessibility, environment_.identity);
    const auto diagnostics = permission.diagnostics();
    // An installed layout, under any prefix, stands where the Applications folder would.
    if (!diagnostics.isRunningFromApplications)
        Log::line("[Tessane][AX] WARNING: running from " + diagnostics.bundlePath +
                  ", not installed (<prefix>/bin with <prefix>/share/tessane). " + kInstallAdvice);
    // Removable media are mounted under /media or /run/media.
    const std::string& path = diagnostics.bundlePath;
    if (path.starts_with("/media/") || path.starts_with("/run/media/"))
        Log::line("[Tessane] WARNING: launched from a mounted volume (" + path + "). " +
                  "A program on a removable volume stops when the volume is removed. " + kInstallAdvice);
}

void AppDelegate::applicationWillTerminate(bool userQuit) {
    if (!workspaceController_ || terminated_) return;
    terminated_ = true;
    // The session may be ending around us, the window server going at the same moment: what
    // needs it is skipped once it is gone, and nothing is lost for that.
    const WindowList& server = *environment_.platform.windowList;
    const bool reachable = server.serverReachable();
    // The ledger keeps its entries: the next start settles them, with this stamp telling a clean
    // quit from a killed run. Without the server (or when it went during the asking) no stamp:
    // the next start brings the apps back, as after a crash.
    if (reachable) workspaceController_->unhideAppsTessaneHid(WorkspaceController::UnhideOccasion::quit);
    if (reachable && server.serverReachable())
        environment_.platform.defaults->set(ControllerDefaultsKeys::kUnhideAskedAt, environment_.platform.mainQueue->now());
    else
        Log::line("[Tessane] Quitting without the window server: hidden apps stay owed for the next start.");
    workspaceController_->flushPendingFramePersists();
    if (server.serverReachable()) workspaceController_->rememberAllDocuments();
    if (fileWatcher_)
        fileWatcher_->atQuit(userQuit && server.serverReachable());
    else
        manager_->flushSaves();
    // Last, after the quit's own changes (the ledger, the stamp): the process may end without
    // destructors (a lost display), and the preferences are written off the main thread.
    environment_.platform.defaults->flush();
}

}  // namespace tessane
