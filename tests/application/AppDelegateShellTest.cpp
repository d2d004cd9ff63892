// The shell's part of start-up on the simulated desktop: the appearance, the keys our windows
// share, the status menu (or the one line that says there is no tray), the launch-at-login
// line, the welcome-panel decision, the links and settings request that wait for the end of
// start-up, and the quit row.
#include "platform/sim/SimLoginItems.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/SimUpdater.h"
#include "settings/FakeSettingsWindow.h"
#include "application/AppDelegate.h"
#include "shell/UpdateManager.h"
#include "support/ControllerScenario.h"
#include "support/LoggedLines.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = std::vector<std::string>;

struct QuietPanel final : OnboardingPanel {
    void bringToFront() override {}
    void close() override {}
};

class AppDelegateShellTest : public ::testing::Test {
protected:
    AppDelegate& delegate() {
        auto env = scenario.environment();
        env.identity = [] {
            AccessibilityPermission::Identity id;
            id.bundlePath = "/usr/bin";
            return id;
        };
        ShellEnvironment shell;
        shell.statusItem = &tray;
        shell.updater = &updater;
        shell.loginItems = &loginItems;
        shell.applyTheme = [this](std::optional<AppTheme> theme) {
            themes.push_back(theme);
            events.push_back(delegate_->manager() ? "theme after the manager" : "theme");
        };
        shell.installMainMenu = [this] { events.push_back("main menu"); };
        shell.quit = [this] { events.push_back("quit"); };
        shell.onboarding.makePanel = [this](std::shared_ptr<OnboardingFlow> flow) {
            welcome.push_back(flow->step());
            Log::line("[Tessane] (test) welcome panel");
            return std::make_unique<QuietPanel>();
        };
        shell.settings.makeWindow = [this](const SettingsViewContext&) {
            auto window = std::make_unique<FakeSettingsWindow>();
            settingsWindow = window.get();
            return window;
        };
        delegate_ = std::make_unique<AppDelegate>(std::move(env), std::move(shell));
        return *delegate_;
    }

    ControllerScenario scenario;
    sim::SimStatusItem tray;
    sim::SimUpdater updater;
    sim::SimLoginItems loginItems;
    std::vector<std::optional<AppTheme>> themes;
    std::vector<OnboardingStep> welcome;
    Lines events;
    FakeSettingsWindow* settingsWindow = nullptr;
    std::unique_ptr<AppDelegate> delegate_;
};

TEST_F(AppDelegateShellTest, OnlyTheExactLowerCaseThemesFixTheAppearanceAndItComesBeforeTheMenuAndTheManager) {
    const std::vector<std::pair<std::optional<std::string>, std::optional<AppTheme>>> cases = {
        {"dark", AppTheme::dark}, {"light", AppTheme::light}, {"Dark", std::nullopt},
        {"system", std::nullopt}, {std::nullopt, std::nullopt}};
    for (const auto& [stored, expected] : cases) {
        if (stored)
            scenario.sim.defaults.set(kAppThemeKey, *stored);
        else
            scenario.sim.defaults.remove(kAppThemeKey);
        themes.clear();
        events.clear();
        delegate().applicationDidFinishLaunching();
        EXPECT_EQ(themes, (std::vector<std::optional<AppTheme>>{expected})) << stored.value_or("(none)");
        EXPECT_EQ(events, (Lines{"theme", "main menu"}));
        delegate_.reset();
    }
}

TEST_F(AppDelegateShellTest, StartUpBuildsTheMenuWithTheUpdateManagerAndLogsTheLoginItemAfterwards) {
    auto& app = delegate();
    app.applicationDidFinishLaunching();
    ASSERT_TRUE(app.menuBarController());
    ASSERT_TRUE(app.updateManager());
    EXPECT_EQ(updater.starts, 1);
    EXPECT_EQ(tray.menusInstalled(), 1);
    EXPECT_EQ(tray.toolTip(), "Tessane");
    EXPECT_EQ(scenario.sim.hotKeys.grabs().size(), 7u);
    EXPECT_EQ(loggedMessagesStarting({"[Tessane] No system tray"}).size(), 0u);
    // Queued: written once start-up has returned.
    EXPECT_EQ(loggedMessagesStarting({"[Tessane][LoginItem]"}).size(), 0u);
    scenario.drain();
    EXPECT_EQ(loggedMessagesStarting({"[Tessane][LoginItem]"}).size(), 1u);

    // "Quit Tessane" ends the event loop; the quit sequence is the entry point's next call.
    EXPECT_TRUE(tray.choose("Quit Tessane"));
    EXPECT_EQ(events.back(), "quit");
}

TEST_F(AppDelegateShellTest, WithoutATrayOneLineSaysSoAndTheShortcutsStillWork) {
    tray.available = false;
    delegate().applicationDidFinishLaunching();
    scenario.drain();
    EXPECT_EQ(loggedMessagesStarting({"[Tessane] No system tray"}), (Lines{AppDelegate::noTrayLine()}));
    EXPECT_EQ(scenario.sim.hotKeys.grabs().size(), 7u);
}

TEST_F(AppDelegateShellTest, TheWelcomePanelOpensAtItsStartOnAFirstRunAtWindowControlWhenThatIsMissing) {
    // First run: at the start, whatever window control says.
    delegate().applicationDidFinishLaunching();
    EXPECT_EQ(welcome, (std::vector<OnboardingStep>{OnboardingStep::welcome}));
    delegate_.reset();

    // Seen, window control missing: at its step.
    welcome.clear();
    scenario.sim.accessibility.setTrusted(false);
    delegate().applicationDidFinishLaunching();
    EXPECT_EQ(welcome, (std::vector<OnboardingStep>{OnboardingStep::accessibility}));
    delegate_.reset();

    // Seen, window control available: nothing.
    welcome.clear();
    scenario.sim.accessibility.setTrusted(true);
    delegate().applicationDidFinishLaunching();
    EXPECT_TRUE(welcome.empty());
}

TEST_F(AppDelegateShellTest, EarlyLinksAndAnEarlySettingsRequestRunAfterTheWelcomeDecision) {
    auto& app = delegate();
    app.openLinks({"tessane://hide"});
    app.openSettingsWindow();
    EXPECT_EQ(settingsWindow, nullptr);
    app.applicationDidFinishLaunching();
    EXPECT_EQ(loggedMessagesStarting({"[Tessane] (test) welcome panel", "[Tessane][URL] Launch finished"}),
              (Lines{"[Tessane] (test) welcome panel", "[Tessane][URL] Launch finished — running 1 queued command(s)."}));
    ASSERT_TRUE(settingsWindow);
    EXPECT_TRUE(settingsWindow->isVisible());

    // Afterwards at once, the same window.
    settingsWindow->orderOut();
    FakeSettingsWindow* first = settingsWindow;
    app.openSettingsWindow();
    EXPECT_EQ(settingsWindow, first);
    EXPECT_TRUE(first->isVisible());
}

}  // namespace
}  // namespace tessane::testing
