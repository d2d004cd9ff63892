#include "shell/AppDelegate.h"

#include "controller/ControllerDefaultsKeys.h"
#include "controller/WorkspaceController.h"
#include "model/HiddenAppLedger.h"
#include "model/HiddenAppStore.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStore.h"
#include "platform/Applications.h"
#include "platform/Defaults.h"
#include "platform/Environment.h"
#include "platform/MainQueue.h"
#include "shell/ControllerLinkTarget.h"
#include "shell/ShortcutBindings.h"
#include "system/AccessibilityPermission.h"
#include "system/ShortcutManager.h"

namespace tessane {

AppDelegate::AppDelegate(WorkspaceControllerEnvironment environment) : environment_(std::move(environment)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    const Platform& platform = environment_.platform;
    // First, so that every later line of start-up reaches the log file.
    Log::setFileLogging(platform.defaults->boolValue("TessaneLogToFile").value_or(false));
    const Environment& env = *platform.environment;
    Log::line("[Tessane] starting Tessane " + env.shortVersion().value_or("?") + " (build " +
              env.buildVersion().value_or("?") + ")");
    if (linkHandlerRegistration_)
        if (const std::string line = linkHandlerRegistration_(); !line.empty()) Log::line(line);

    manager_ = std::make_unique<WorkspaceManager>(WorkspaceStore::inDataFolder(env), *platform.applications);
    hiddenApps_ = std::make_unique<HiddenAppLedger>(std::make_shared<UserDefaultsHiddenAppStore>(*platform.defaults));

    WorkspaceControllerEnvironment controllerEnvironment = environment_;
    controllerEnvironment.manager = manager_.get();
    controllerEnvironment.hiddenApps = hiddenApps_.get();
    workspaceController_ = std::make_unique<WorkspaceController>(std::move(controllerEnvironment));
    // From here on, links are acted on as they arrive (those queued so far wait for the end).
    linkTarget_ = std::make_unique<ControllerLinkTarget>(*manager_, *workspaceController_);
    inbox_.setTarget(linkTarget_.get());

    shortcutManager_ = std::make_unique<ShortcutManager>(*platform.hotKeys);
    shortcuts_ = std::make_unique<ShortcutBindings>(*shortcutManager_, *manager_, *workspaceController_, *platform.mainQueue);

    workspaceController_->recoverHiddenAppsFromPreviousRun();
    const AccessibilityPermission permission(*platform.accessibility, environment_.identity);
    permission.logDiagnostics("launch");
    logLocationWarnings();
    inbox_.flush();
}

void AppDelegate::logLocationWarnings() const {
    const AccessibilityPermission permission(*environment_.platform.accessibility, environment_.identity);
    const auto diagnostics = permission.diagnostics();
    // The install locations of a Linux system (/usr, /opt) stand where the Applications folder would.
    if (!diagnostics.isRunningFromApplications)
        Log::line("[Tessane][AX] WARNING: running from " + diagnostics.bundlePath + ", not /usr or /opt. " + kInstallAdvice);
    // Removable media are mounted under /media or /run/media.
    const std::string& path = diagnostics.bundlePath;
    if (path.starts_with("/media/") || path.starts_with("/run/media/"))
        Log::line("[Tessane] WARNING: launched from a mounted volume (" + path + "). " +
                  "Move Tessane to /usr/local for reliable updates and Accessibility.");
}

void AppDelegate::openSettingsWindow() { Log::line("[Tessane] Settings window: not yet"); }

void AppDelegate::applicationWillTerminate() {
    if (!workspaceController_ || terminated_) return;
    terminated_ = true;
    // The ledger keeps its entries: the next start settles them, with this stamp telling a clean
    // quit from a killed run.
    workspaceController_->unhideAppsTessaneHid(WorkspaceController::UnhideOccasion::quit);
    environment_.platform.defaults->set(ControllerDefaultsKeys::kUnhideAskedAt, environment_.platform.mainQueue->now());
    workspaceController_->flushPendingFramePersists();
    workspaceController_->rememberAllDocuments();
}

}  // namespace tessane
