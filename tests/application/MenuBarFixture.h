#pragma once

#include "platform/sim/SimPng.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/SimUpdater.h"
#include "settings/FakeSettingsWindow.h"
#include "application/MenuBarController.h"
#include "shell/UpdateManager.h"
#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tessane::testing {

// The builder's and the welcome panel's windows, as their controllers make them.
struct PresenterRecord {
    std::vector<std::vector<ManagedApp>> builderSeeds;  // one per builder panel made
    BuilderActions builderActions;                      // of the last one
    int builderFrontings = 0;
    int welcomePanels = 0;
};

struct RecordingBuilderPanel final : BuilderPanel {
    explicit RecordingBuilderPanel(PresenterRecord& r) : record(r) {}
    void bringToFront() override { ++record.builderFrontings; }
    void close() override {}
    PresenterRecord& record;
};

struct RecordingWelcomePanel final : OnboardingPanel {
    void bringToFront() override {}
    void close() override {}
};

// The menu-bar controller over a workspace controller on the simulated desktop, with a recorded
// tray icon, an update framework the test drives and recording windows.
class MenuBarFixture : public ::testing::Test {
protected:
    MenuBarFixture() { scenario.start(); }

    MenuBarController& menuBar() {
        if (menuBar_) return *menuBar_;
        MenuBarController::Services services;
        services.manager = scenario.manager.get();
        services.controller = &scenario.controller();
        services.statusItem = &tray;
        services.hotKeys = &scenario.sim.hotKeys;
        services.queue = &scenario.sim.mainQueue;
        services.screens = &scenario.sim.screens;
        services.pointer = &scenario.sim.eventMonitors;
        services.applications = &scenario.sim.applications;
        services.alerts = &scenario.sim.alerts;
        services.updates = &updates;
        services.builder.catalog = &scenario.sim.applications;
        services.builder.makePanel = [this](const std::vector<ManagedApp>& seed, BuilderActions actions) {
            presenters.builderSeeds.push_back(seed);
            presenters.builderActions = std::move(actions);
            return std::make_unique<RecordingBuilderPanel>(presenters);
        };
        services.onboarding.defaults = &scenario.sim.defaults;
        services.onboarding.mainQueue = &scenario.sim.mainQueue;
        services.onboarding.accessibility = &scenario.sim.accessibility;
        services.onboarding.makePanel = [this](std::shared_ptr<OnboardingFlow>) {
            ++presenters.welcomePanels;
            return std::make_unique<RecordingWelcomePanel>();
        };
        services.settings.queue = &scenario.sim.mainQueue;
        services.settings.screens = &scenario.sim.screens;
        services.settings.makeWindow = [this](const SettingsViewContext&) {
            auto window = std::make_unique<FakeSettingsWindow>();
            settingsWindow = window.get();
            return window;
        };
        services.captureDiagnostics = [this] {
            Diagnostics::Snapshot snapshot;
            snapshot.appVersion = version;
            return snapshot;
        };
        services.quit = [this] { ++quits; };
        menuBar_ = std::make_unique<MenuBarController>(std::move(services));
        return *menuBar_;
    }

    // A workspace whose apps are installed; its primary (first) app carries `icon`.
    Workspace addWorkspace(const std::string& name, std::initializer_list<std::string> apps,
                           std::optional<Bytes> icon = sim::solidPng(128, 0x3366ccff)) {
        auto ws = scenario.addWorkspace(name, apps);
        if (!ws.apps.empty()) {
            ws.apps[0].iconData = icon;
            scenario.manager->update(ws);
        }
        return scenario.workspace(ws.id);
    }

    const StatusMenu& menu() const { return *tray.menu(); }
    std::shared_ptr<StatusMenuRow> row(const std::string& title) const { return tray.row(title); }
    // The titles of the installed menu's rows ("-" for a separator, "(hidden)" marks hidden ones).
    std::vector<std::string> titles(const StatusMenu* menu = nullptr) const {
        std::vector<std::string> out;
        for (const auto& r : (menu ? menu : tray.menu().get())->rows)
            out.push_back(r->kind == StatusMenuRow::Kind::separator ? "-"
                                                                    : r->title + (r->hidden ? " (hidden)" : ""));
        return out;
    }

    ControllerScenario scenario;
    sim::SimStatusItem tray;
    sim::SimUpdater updater;
    UpdateManager updates{updater, scenario.sim.mainQueue};
    PresenterRecord presenters;
    FakeSettingsWindow* settingsWindow = nullptr;
    int quits = 0;
    std::string version = "1.4";  // of the diagnostics snapshot
    std::unique_ptr<MenuBarController> menuBar_;
};

}  // namespace tessane::testing
