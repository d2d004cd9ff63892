// What the rows of the status menu do, and the windows it opens: the builder, the welcome panel
// and the settings window, each made on first use and kept.
#include "controller/WorkspaceController.h"
#include "model/Log.h"
#include "model/Workspace.h"
#include "model/WorkspaceManager.h"
#include "platform/Alerts.h"
#include "platform/Applications.h"
#include "platform/EventMonitors.h"
#include "settings/GeneralTab.h"
#include "application/MenuBarController.h"
#include "shell/UpdateManager.h"

namespace tessane {

std::vector<ManagedApp> MenuBarController::seed() const {
    return services_.controller->seedAppsFromCurrentWindows(kSeedLimit);
}

std::function<void()> MenuBarController::onShownStep() {
    return lifetime_.guard([this] {
        if (settingsController_ && settingsController_->isWindowVisible()) settingsController_->dismiss();
    });
}

// ------------------------------------------------------------------------------------ actions

void MenuBarController::showWorkspace(const std::string& representedObject) {
    if (const auto id = Uuid::parse(representedObject)) services_.controller->showWorkspace(*id, onShownStep());
}

void MenuBarController::releaseWorkspace(const std::string& representedObject) {
    if (const auto id = Uuid::parse(representedObject)) services_.controller->releaseWorkspace(*id);
}

void MenuBarController::showLastWorkspace() {
    if (const auto id = services_.manager->lastShownWorkspaceID().get())
        services_.controller->showWorkspace(*id, onShownStep());
}

void MenuBarController::hideCurrentWorkspace() { services_.controller->hideActiveWorkspace(); }
void MenuBarController::hideAllWorkspaces() { services_.controller->hideAllWorkspaces(); }
void MenuBarController::bringToCurrentDisplay() { services_.controller->bringActiveWorkspaceToCurrentDisplay(); }
void MenuBarController::focusNextPane() { services_.controller->focusAdjacentPane(+1); }
void MenuBarController::focusPrevPane() { services_.controller->focusAdjacentPane(-1); }

void MenuBarController::toggleSoloPane() {
    if (services_.controller->currentSoloState())
        services_.controller->restoreFromSolo();
    else
        services_.controller->soloFocusedPane();
}

void MenuBarController::newWorkspace() { openBuilder(seed()); }

void MenuBarController::installAvailableUpdate() {
    if (services_.updates) services_.updates->checkForUpdates();
}

void MenuBarController::quit() {
    if (services_.quit) services_.quit();
}

void MenuBarController::reportBug() {
    const Diagnostics::Snapshot snapshot =
        services_.captureDiagnostics ? services_.captureDiagnostics() : Diagnostics::Snapshot{};
    // The same mail as the General tab's "Report a Bug…", to the same address.
    const auto url = Diagnostics::mailtoURL(Diagnostics::supportAddress(), GeneralTab::bugReportSubject(snapshot),
                                            GeneralTab::bugReportBody(snapshot), kMailLimit);
    if (!url) {
        Log::line("[Tessane] Report a Bug: could not build the mailto URL.");
        return;
    }
    services_.applications->openURL(*url);
}

// --------------------------------------------------------------------------------- presenters

void MenuBarController::openBuilder(const std::vector<ManagedApp>& seedApps) {
    if (!workspaceBuilder_) {
        if (!services_.builder.makePanel) {
            Log::line("[Tessane] This build has no builder panel: nothing to open.");
            return;
        }
        workspaceBuilder_ = std::make_unique<WorkspaceBuilderController>(
            services_.builder, lifetime_.guard([this](const std::string& name, LayoutType layout,
                                                      const std::vector<ManagedApp>& apps) {
                builderCompleted(name, layout, apps);
            }));
    }
    workspaceBuilder_->show(seedApps);
}

void MenuBarController::builderCompleted(const std::string& name, LayoutType layout,
                                         const std::vector<ManagedApp>& apps) {
    WorkspaceManager& manager = *services_.manager;
    // Another workspace may have taken one of the apps while the builder was open.
    for (const auto& app : apps) {
        const auto owner = manager.workspaceUsing(app.bundleIdentifier, std::nullopt);
        if (!owner) continue;
        services_.alerts->runModal(AlertSpec{
            .style = AlertSpec::Style::informational,
            .messageText = app.displayName + " is already in “" + owner->name + "”",
            .informativeText = "It was added to another workspace while you were building this one. Remove it "
                               "there, or choose a different app, then create again.",
            .buttons = {"OK"},
        });
        return;
    }
    const Workspace created = manager.createWorkspace(name);
    if (layout == LayoutType::threeColumns)
        manager.setThreeColumns(true, created.id);
    else
        manager.setLayoutType(layout, created.id);
    for (const auto& app : apps) manager.addApp(app, created.id);
    Log::line("[Tessane] Builder created workspace: " + name + " (" + std::to_string(apps.size()) +
              " apps) — showing");
    services_.controller->showWorkspace(created.id, onShownStep());
}

void MenuBarController::showOnboarding(bool startAtAccessibility) {
    if (!onboardingController_) {
        if (!services_.onboarding.makePanel) {
            Log::line("[Tessane] This build has no welcome panel: nothing to open.");
            return;
        }
        onboardingController_ = std::make_unique<OnboardingController>(
            services_.onboarding, lifetime_.guard([this](const std::vector<ManagedApp>& apps) { openBuilder(apps); }),
            [this, alive = lifetime_.liveness()]() -> std::vector<ManagedApp> {
                if (!alive) return {};
                return seed();
            });
    }
    onboardingController_->show(startAtAccessibility);
}

void MenuBarController::presentSettings(std::optional<SettingsRouter::Tab> tab) {
    if (!settingsController_) {
        settingsController_ = std::make_unique<SettingsWindowController>(
            services_.settings, lifetime_.guard([this] { openBuilder(seed()); }),
            lifetime_.guard([this] { showOnboarding(false); }));
    }
    // The display the menu was opened on, if that was recent; else the one under the pointer.
    std::optional<ScreenInfo> display;
    if (menuOpenedOn_ && menuOpenedOn_->screen && services_.queue->now() - menuOpenedOn_->at < kOpeningMemorySeconds)
        display = menuOpenedOn_->screen;
    else
        display = screenContaining(services_.pointer ? services_.pointer->mouseLocation() : Point{});
    settingsController_->show(tab, display);
}

}  // namespace tessane
