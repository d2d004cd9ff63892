#pragma once

#include "builder/OnboardingController.h"
#include "platform/Platform.h"
#include "builder/WorkspaceBuilderController.h"
#include "settings/SettingsViewServices.h"
#include "settings/SettingsWindowController.h"
#include "shell/AppTheme.h"
#include "shell/Diagnostics.h"
#include "system/AccessibilityPermission.h"

#include <memory>

namespace tessane {
class LoginItem;
class LoginItems;
class SecondPanePrompt;
class SecondPanePromptGate;
class Updater;
class WorkspaceController;
class WorkspaceManager;
namespace builder_qt {
class QtAppChooser;
}
namespace qt_backend {
class LinuxPlatform;
}
namespace qt_shell {
class QtAppTheme;
}
}  // namespace tessane

namespace tessane::app {

// The desktop's side of the shell: the launch-at-login entry, the updater, the theme, the
// application chooser and the second-pane prompt of this Linux desktop, and the services of the
// builder, the welcome panel and the settings window made over them. Built once the Qt
// application and the backend's ports exist; kept until the program ends.
class ShellParts {
public:
    ShellParts(const Platform& platform, const qt_backend::LinuxPlatform& backend,
               std::function<AccessibilityPermission::Identity()> identity);
    ~ShellParts();
    ShellParts(const ShellParts&) = delete;
    ShellParts& operator=(const ShellParts&) = delete;

    LoginItems& loginItems() { return *loginItems_; }
    LoginItem& loginItem() { return *loginItem_; }
    Updater& updater() { return *updater_; }
    const AccessibilityPermission& permission() const { return permission_; }
    void applyTheme(AppTheme theme);

    // The builder's services; the application delegate fills in the workspace manager.
    WorkspaceBuilderController::Services builder();
    OnboardingController::Services onboarding();
    // The settings window's services. The window is made after start-up, over the manager and
    // controller that `running` then answers.
    SettingsWindowController::Services settings(std::function<std::pair<WorkspaceManager*, WorkspaceController*>()> running);
    Diagnostics::Snapshot captureDiagnostics(const WorkspaceManager& manager, WorkspaceController& controller) const;

private:
    Diagnostics::Sources diagnosticsSources() const;
    SettingsViewServices viewServices(WorkspaceManager& manager, WorkspaceController& controller);

    Platform platform_;
    const qt_backend::LinuxPlatform& backend_;
    AccessibilityPermission permission_;
    std::unique_ptr<LoginItems> loginItems_;
    std::unique_ptr<LoginItem> loginItem_;
    std::unique_ptr<Updater> updater_;
    std::unique_ptr<qt_shell::QtAppTheme> theme_;
    std::unique_ptr<builder_qt::QtAppChooser> chooser_;
    std::unique_ptr<SecondPanePrompt> prompt_;
    std::unique_ptr<SecondPanePromptGate> secondPane_;
};

}  // namespace tessane::app
