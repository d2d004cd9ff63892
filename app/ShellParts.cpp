#include "ShellParts.h"

#include "builder/qt/QtAppChooser.h"
#include "builder/qt/QtBuilderPanel.h"
#include "builder/qt/QtOnboardingPanel.h"
#include "chrome/SecondPanePrompt.h"
#include "platform/Applications.h"
#include "platform/linux/apps/LinuxAppCatalog.h"
#include "platform/linux/session/LinuxMachineFacts.h"
#include "platform/linux/session/PackageManagerUpdater.h"
#include "platform/linux/session/XdgAutostart.h"
#include "platform/qt/LinuxPlatform.h"
#include "settings/SettingsViewServices.h"
#include "settings/qt/QtSettingsDesktop.h"
#include "shell/LoginItem.h"
#include "shell/qt/QtAppTheme.h"

namespace tessane::app {

ShellParts::ShellParts(const Platform& platform, const qt_backend::LinuxPlatform& backend,
                       std::function<AccessibilityPermission::Identity()> identity)
    : platform_(platform),
      backend_(backend),
      permission_(*platform.accessibility, std::move(identity),
                  [applications = platform.applications](const std::string& url) { return applications->openURL(url); }),
      loginItems_(std::make_unique<linux_backend::XdgAutostart>(linux_backend::XdgAutostart::forThisProgram())),
      loginItem_(std::make_unique<LoginItem>(*loginItems_, *platform.mainQueue)),
      updater_(std::make_unique<linux_backend::PackageManagerUpdater>()),
      // Made before any theme is applied: it keeps the desktop's own style for "system".
      theme_(std::make_unique<qt_shell::QtAppTheme>()),
      chooser_(std::make_unique<builder_qt::QtAppChooser>(
          *platform.applications, [&backend] { return backend.appCatalog().choosableApplications(); })),
      prompt_(std::make_unique<SecondPanePrompt>(platform)),
      secondPane_(std::make_unique<SecondPanePromptGate>(*prompt_)) {}

ShellParts::~ShellParts() = default;

void ShellParts::applyTheme(AppTheme theme) { theme_->apply(theme); }

WorkspaceBuilderController::Services ShellParts::builder() {
    return {.manager = nullptr,
            .alerts = platform_.alerts,
            .catalog = platform_.applications,
            .chooser = chooser_.get(),
            .secondPane = secondPane_.get(),
            .makePanel = builder_qt::makeBuilderPanelFactory(builder_qt::catalogIconLookup(*platform_.applications))};
}

OnboardingController::Services ShellParts::onboarding() {
    return {.defaults = platform_.defaults,
            .mainQueue = platform_.mainQueue,
            .accessibility = platform_.accessibility,
            .permission = &permission_,
            .makePanel = builder_qt::makeOnboardingPanelFactory()};
}

Diagnostics::Sources ShellParts::diagnosticsSources() const {
    return {.environment = *platform_.environment,
            .accessibility = *platform_.accessibility,
            .screens = *platform_.screens,
            .defaults = *platform_.defaults,
            .loginItem = *loginItem_,
            .machine = [] { return linux_backend::LinuxMachineFacts::read(); },
            .bundlePath = loginItems_->bundlePath()};
}

Diagnostics::Snapshot ShellParts::captureDiagnostics(const WorkspaceManager& manager,
                                                     WorkspaceController& controller) const {
    return Diagnostics::capture(manager, controller, diagnosticsSources());
}

SettingsViewServices ShellParts::viewServices(WorkspaceManager& manager, WorkspaceController& controller) {
    SettingsViewServices view;
    view.general = {.defaults = platform_.defaults,
                    .queue = platform_.mainQueue,
                    .environment = platform_.environment,
                    .loginItem = loginItem_.get(),
                    .captureDiagnostics =
                        [this, &manager, &controller] { return captureDiagnostics(manager, controller); },
                    .setClipboardText = &settings_qt::setClipboardText,
                    .openURL = [applications = platform_.applications](
                                   const std::string& url) { return applications->openURL(url); },
                    .applyTheme = [this](AppTheme theme) { applyTheme(theme); },
                    .revealInFiles = &settings_qt::revealInFiles};
    view.editor = {.manager = &manager,
                   .controller = &controller,
                   .alerts = platform_.alerts,
                   .catalog = platform_.applications,
                   .chooser = chooser_.get(),
                   .secondPane = secondPane_.get()};
    return view;
}

SettingsWindowController::Services ShellParts::settings(
    std::function<std::pair<WorkspaceManager*, WorkspaceController*>()> running) {
    SettingsWindowController::Services window;
    window.queue = platform_.mainQueue;
    window.screens = platform_.screens;
    window.isAppActive = &settings_qt::isApplicationActive;
    window.activateApp = &settings_qt::activateApplication;
    window.observeAppActivity = &settings_qt::observeApplicationActivity;
    window.makeWindow = [this, running = std::move(running)](const SettingsViewContext& context) {
        const auto [manager, controller] = running();
        return settings_qt::makeWindowFactory(viewServices(*manager, *controller), *platform_.defaults)(context);
    };
    return window;
}

}  // namespace tessane::app
