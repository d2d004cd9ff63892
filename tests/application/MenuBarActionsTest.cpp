// What the status menu's rows do and the windows they open: the settings window on the display
// the menu was opened on, put away by a show; the builder's result stored, laid out and shown,
// or refused; the bug-report mail; the presenters made once.
#include "controller/WorkspaceController.h"
#include "application/MenuBarFixture.h"
#include "controller/WorkspaceRules.h"
#include "support/LoggedLines.h"

namespace tessane::testing {
namespace {

using Lines = std::vector<std::string>;

class MenuBarActionsTest : public MenuBarFixture {
protected:
    void twoDisplays() {
        scenario.setDisplays({ControllerScenario::display({0, 0, 1440, 900}, 1),
                              ControllerScenario::display({1440, 0, 1920, 1080}, 2)});
    }
    bool settingsOnSecondDisplay() const { return settingsWindow && settingsWindow->frame().midX() > 1440; }
    static size_t count(const std::string& prefix) { return loggedMessagesStarting({prefix}).size(); }
};

TEST_F(MenuBarActionsTest, SettingsOpenOnTheDisplayTheMenuWasOpenedOnForSixtySeconds) {
    twoDisplays();
    scenario.sim.eventMonitors.moveMouse({2000, 500});
    menuBar();
    tray.open();
    scenario.sim.eventMonitors.moveMouse({300, 300});
    scenario.advance(59);
    EXPECT_TRUE(tray.choose("Settings…"));
    ASSERT_TRUE(settingsWindow);
    EXPECT_TRUE(settingsWindow->isVisible());
    EXPECT_TRUE(settingsOnSecondDisplay());

    // Later, the display under the pointer.
    settingsWindow->orderOut();
    scenario.advance(1);
    EXPECT_TRUE(tray.choose("Settings…"));
    EXPECT_FALSE(settingsOnSecondDisplay());
    EXPECT_TRUE(settingsWindow->isVisible());
}

TEST_F(MenuBarActionsTest, AShowStartedFromTheMenuPutsTheSettingsWindowAwayAndTheSameOneComesBack) {
    scenario.launchApp("Notes");
    scenario.launchApp("Mail");
    const auto ws = addWorkspace("Write", {"Notes", "Mail"});
    menuBar().presentSettings(SettingsRouter::Tab::general);
    ASSERT_TRUE(settingsWindow);
    FakeSettingsWindow* first = settingsWindow;
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(menuBar().settingsController()->router().tab(), SettingsRouter::Tab::general);

    EXPECT_TRUE(tray.choose("Write"));
    scenario.advance(3);
    ASSERT_TRUE(scenario.controller().session(ws.id)) << ::testing::PrintToString(scenario.log());
    EXPECT_FALSE(first->isVisible());

    EXPECT_TRUE(tray.choose("Settings…"));
    EXPECT_EQ(settingsWindow, first);
    EXPECT_TRUE(first->isVisible());
}

TEST_F(MenuBarActionsTest, TheBuilderIsMadeOnceAndItsThreeColumnResultIsStoredLaidOutAndShown) {
    const auto a = scenario.installApp("Notes");
    const auto b = scenario.installApp("Mail");
    const auto c = scenario.installApp("Music");
    menuBar();
    EXPECT_TRUE(tray.choose("New Workspace…"));
    ASSERT_EQ(presenters.builderSeeds.size(), 1u);
    auto* builder = menuBar().workspaceBuilder();
    scenario.clearLog();

    presenters.builderActions.create("Trio", LayoutType::threeColumns, {a, b, c});
    const auto& list = scenario.manager->workspaces().get();
    ASSERT_EQ(list.size(), 1u);
    const Workspace& made = list[0];
    EXPECT_EQ(made.name, "Trio");
    EXPECT_TRUE(workspace_rules::isThreeColumns(made));
    ASSERT_EQ(made.apps.size(), 3u);
    EXPECT_EQ(made.apps[0].bundleIdentifier, a.bundleIdentifier);
    EXPECT_EQ(made.apps[2].bundleIdentifier, c.bundleIdentifier);
    const Lines log = scenario.log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "[Tessane] Builder created workspace: Trio (3 apps) — showing");
    EXPECT_EQ(log[1], "[Tessane] Show workspace requested: Trio");

    EXPECT_TRUE(tray.choose("New Workspace…"));
    EXPECT_EQ(menuBar().workspaceBuilder(), builder);
}

TEST_F(MenuBarActionsTest, ABuilderResultWithAnAppTakenMeanwhileIsRefusedAndNothingIsCreated) {
    const auto notes = scenario.installApp("Notes");
    const auto mail = scenario.installApp("Mail");
    menuBar().openBuilder({});
    addWorkspace("Inbox", {"Mail"});
    scenario.clearLog();

    presenters.builderActions.create("Write", LayoutType::leftRightSplit, {notes, mail});
    ASSERT_EQ(scenario.sim.alerts.shown().size(), 1u);
    const AlertSpec& alert = scenario.sim.alerts.shown()[0];
    EXPECT_EQ(alert.style, AlertSpec::Style::informational);
    EXPECT_EQ(alert.messageText, "Mail is already in “Inbox”");
    EXPECT_EQ(alert.informativeText,
              "It was added to another workspace while you were building this one. Remove it there, or choose a "
              "different app, then create again.");
    EXPECT_EQ(alert.buttons, (Lines{"OK"}));
    ASSERT_EQ(scenario.manager->workspaces().get().size(), 1u);
    EXPECT_FALSE(scenario.manager->workspaceUsing(notes.bundleIdentifier, std::nullopt));
    EXPECT_EQ(count("[Tessane] Builder created workspace"), 0u);
}

TEST_F(MenuBarActionsTest, ABugReportOpensAMailLinkUnderTheLimitOrSaysWhyItCannot) {
    menuBar();
    EXPECT_TRUE(tray.choose("Report a Bug…"));
    const auto& urls = scenario.sim.applications.openedURLs();
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_TRUE(urls[0].starts_with("mailto:")) << urls[0];
    EXPECT_LE(urls[0].size(), 1800u);
    EXPECT_NE(urls[0].find("subject=Tessane%201.4%20%E2%80%94%20bug%20report"), std::string::npos) << urls[0];
}

TEST_F(MenuBarActionsTest, ABugReportWhoseLinkCannotBeBuiltIsLoggedAndDropped) {
    version = std::string(3000, 'x');
    menuBar().reportBug();
    EXPECT_TRUE(scenario.sim.applications.openedURLs().empty());
    EXPECT_EQ(count("[Tessane] Report a Bug: could not build the mailto URL."), 1u);
}

TEST_F(MenuBarActionsTest, TheWelcomePanelIsMadeOnceAndHandsItsSeedToTheSameBuilder) {
    menuBar().showOnboarding(true);
    auto* welcome = menuBar().onboardingController();
    ASSERT_TRUE(welcome);
    ASSERT_TRUE(welcome->flow());
    EXPECT_EQ(welcome->flow()->step(), OnboardingStep::accessibility);
    menuBar().showOnboarding(false);
    EXPECT_EQ(menuBar().onboardingController(), welcome);
    EXPECT_EQ(presenters.welcomePanels, 1);
}

TEST_F(MenuBarActionsTest, QuitEndsTheEventLoopAndShowLastDoesNothingWithoutALastWorkspace) {
    menuBar();
    scenario.clearLog();
    menuBar().showLastWorkspace();
    EXPECT_TRUE(scenario.log().empty());
    EXPECT_TRUE(tray.choose("Quit Tessane"));
    EXPECT_EQ(quits, 1);
}

TEST_F(MenuBarActionsTest, RowsOfAMenuWhoseControllerIsGoneDoNothing) {
    menuBar();
    const auto menu = tray.menu();
    menuBar_.reset();
    EXPECT_TRUE(tray.choose("Quit Tessane", menu.get()));
    EXPECT_TRUE(tray.choose("New Workspace…", menu.get()));
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(presenters.builderSeeds.empty());
    scenario.putUp(scenario.addWorkspace("Late", {}));
    scenario.drain();  // no refresh of a menu nobody owns
}

}  // namespace
}  // namespace tessane::testing
