// The status menu on the simulated desktop: its rows with their states, chords, icons and tool
// tips for none, one and eleven workspaces; the icon and its tool tip; when the menu is built
// anew and when its rows are only refreshed; the update and Stage Manager rows.
#include "application/MenuBarFixture.h"
#include "shell/ShortcutBindings.h"

namespace tessane::testing {
namespace {

using Lines = std::vector<std::string>;

class MenuBarMenuTest : public MenuBarFixture {};

TEST_F(MenuBarMenuTest, WithoutWorkspacesTheMenuOffersToCreateOneAndEveryFrontRowIsOff) {
    menuBar();
    EXPECT_EQ(titles(), (Lines{"Tessane", " (hidden)", "Stage Manager is on — tiling paused (hidden)", "-",
                               "No Workspaces Yet — Create One…", "-", "Show Last Workspace", "Release Windows",
                               "Hide Current Workspace", "Hide All Workspaces", "Bring to Current Display",
                               "Focused App", "This Workspace", "-", "New Workspace…", "Settings…",
                               "Check for Updates…", "Report a Bug…", "-", "Quit Tessane"}));
    EXPECT_FALSE(menu().rows[0]->enabled);
    for (const char* title : {"Show Last Workspace", "Release Windows", "Hide Current Workspace",
                              "Hide All Workspaces", "Bring to Current Display", "Focused App", "This Workspace"})
        EXPECT_FALSE(row(title)->enabled) << title;
    EXPECT_EQ(row("This Workspace")->toolTip, "Show a workspace to act on it.");
    EXPECT_TRUE(row("This Workspace")->submenu->rows.empty());
    EXPECT_EQ(row("Release Windows")->toolTip, MenuBarController::kReleaseTip);

    // The chords as Linux desktops write them.
    EXPECT_EQ(row("Hide Current Workspace")->shortcut, "Super+Alt+H");
    EXPECT_EQ(row("Bring to Current Display")->shortcut, "Super+Alt+B");
    // Keys of our own windows only (the README and the manual page list them): none here.
    EXPECT_EQ(row("Settings…")->shortcut, "");
    EXPECT_EQ(row("Quit Tessane")->shortcut, "");
    EXPECT_EQ(row("New Workspace…")->shortcut, "");
    const StatusMenu& focused = *row("Focused App")->submenu;
    EXPECT_EQ(titles(&focused), (Lines{"Focus Next Pane", "Focus Previous Pane", "Solo Focused Pane"}));
    EXPECT_EQ(focused.rows[0]->shortcut, "Super+Ctrl+Right");
    EXPECT_EQ(focused.rows[1]->shortcut, "Super+Ctrl+Left");
    EXPECT_EQ(focused.rows[2]->shortcut, "Super+Ctrl+Return");

    EXPECT_TRUE(tray.choose("No Workspaces Yet — Create One…"));
    EXPECT_EQ(presenters.builderSeeds.size(), 1u);
}

TEST_F(MenuBarMenuTest, OneWorkspaceRowCarriesItsChordIconAndShownStateAndTheFrontRowsFollowIt) {
    scenario.launchApp("Notes");
    const auto ws = addWorkspace("Write", {"Notes"});
    menuBar();
    auto write = row("Write");
    ASSERT_TRUE(write);
    EXPECT_EQ(write->shortcut, "Super+Alt+1");
    EXPECT_EQ(write->representedObject, ws.id.string());
    EXPECT_EQ(write->iconPNG, *ws.apps[0].iconData);
    EXPECT_FALSE(write->checked);
    EXPECT_EQ(write->toolTip, "Show this workspace.");
    EXPECT_EQ(titles()[4], "Write");
    EXPECT_EQ(titles()[5], "-");

    scenario.putUp(ws);
    scenario.drain();
    // Refreshed in place, without the menu being opened.
    EXPECT_EQ(tray.menusInstalled(), 1);
    EXPECT_TRUE(write->checked);
    EXPECT_EQ(write->toolTip, "Already shown — choose it to bring the whole group back to the front.");
    for (const char* title : {"Show Last Workspace", "Release Windows", "Hide Current Workspace",
                              "Hide All Workspaces", "Bring to Current Display", "Focused App", "This Workspace"})
        EXPECT_TRUE(row(title)->enabled) << title;
    EXPECT_EQ(row("This Workspace")->toolTip,
              "Actions for “Write” — the workspace in front. Right-clicking its handle offers the same list.");
    const auto& release = row("Release Windows")->submenu->rows;
    ASSERT_EQ(release.size(), 1u);
    EXPECT_EQ(release[0]->title, "Write");
    EXPECT_EQ(release[0]->shortcut, "");
    EXPECT_EQ(release[0]->representedObject, ws.id.string());
    EXPECT_EQ(release[0]->iconPNG, *ws.apps[0].iconData);

    // Releasing it from the submenu leaves its windows and takes the rows back.
    EXPECT_TRUE(tray.choose("Write", row("Release Windows")->submenu.get()));
    scenario.drain();
    EXPECT_FALSE(write->checked);
    EXPECT_FALSE(row("Release Windows")->enabled);
    EXPECT_TRUE(row("Release Windows")->submenu->rows.empty());
    EXPECT_FALSE(row("Hide All Workspaces")->enabled);
}

TEST_F(MenuBarMenuTest, ElevenWorkspacesTheFirstNineCarryChordsAndOnlyUsablePngsBecomeIcons) {
    // A record without a usable icon (hand-edited) shows the app index's icon, as Settings does.
    const Bytes indexIcon = sim::solidPng(128, 0x22aa44ff);
    const Bytes notAPng{'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'};
    for (int i = 1; i <= 11; ++i) {
        const std::string name = "W" + std::to_string(i);
        if (i == 2)
            addWorkspace(name, {"App2"}, notAPng);
        else if (i == 3)
            addWorkspace(name, {"App3"}, std::nullopt);
        else if (i == 4)
            addWorkspace(name, {});
        else
            addWorkspace(name, {"App" + std::to_string(i)});
    }
    scenario.sim.applications.installApp("/Applications/App3.app",
                                         {ControllerScenario::bundleID("App3"), "App3", "App3", 0x22aa44ff});
    menuBar();
    for (int i = 1; i <= 11; ++i) {
        const auto r = row("W" + std::to_string(i));
        ASSERT_TRUE(r);
        EXPECT_EQ(r->shortcut, i <= 9 ? "Super+Alt+" + std::to_string(i) : "") << i;
        EXPECT_TRUE(r->enabled);
        EXPECT_EQ(r->iconPNG.empty(), i == 4) << i;
        EXPECT_NE(r->iconPNG, notAPng) << i;
        EXPECT_TRUE(i != 3 || r->iconPNG == indexIcon);
    }
    EXPECT_EQ(titles()[4], "W1");
    EXPECT_EQ(titles()[14], "W11");
    EXPECT_EQ(titles()[15], "-");
    EXPECT_EQ(scenario.sim.hotKeys.grabs().size(), 9u + 7u);
}

TEST_F(MenuBarMenuTest, ALongListShowsItsFirstRowsThenOneRowToTheRestAndKeepsEveryCommandInReach) {
    for (int i = 1; i <= 25; ++i) addWorkspace("W" + std::to_string(i), {});
    menuBar();
    const auto all = titles();
    EXPECT_EQ(all[4], "W1");
    EXPECT_EQ(all[23], "W20");
    EXPECT_EQ(all[24], "More Workspaces…");
    EXPECT_EQ(row("More Workspaces…")->toolTip, "5 more: pick one in Settings and press Show.");
    EXPECT_EQ(all.back(), "Quit Tessane");
    EXPECT_EQ(std::count(all.begin(), all.end(), "Settings…"), 1);
    // Another workspace past the listed ones changes the count, not the rows.
    addWorkspace("W26", {});
    scenario.drain();
    EXPECT_EQ(row("More Workspaces…")->toolTip, "6 more: pick one in Settings and press Show.");
    EXPECT_EQ(titles().size(), all.size());

    menuBar().presentSettings(SettingsRouter::Tab::general);
    settingsWindow->orderOut();
    EXPECT_TRUE(tray.choose("More Workspaces…"));
    EXPECT_TRUE(settingsWindow->isVisible());
    EXPECT_EQ(menuBar().settingsController()->router().tab(), SettingsRouter::Tab::workspaces);
}

TEST_F(MenuBarMenuTest, TheTooltipNamesUpToThreeShownWorkspacesAndAWaitingUpdate) {
    using M = MenuBarController;
    EXPECT_EQ(M::statusTooltip({}, std::nullopt, 3), "Tessane");
    EXPECT_EQ(M::statusTooltip({"A", "B"}, std::nullopt, 3), "Tessane — showing A, B");
    EXPECT_EQ(M::statusTooltip({"A", "B", "C"}, std::nullopt, 3), "Tessane — showing A, B, C");
    EXPECT_EQ(M::statusTooltip({"A", "B", "C", "D"}, std::nullopt, 3), "Tessane — showing A, B and 2 more");
    EXPECT_EQ(M::statusTooltip({"A", "B", "C", "D", "E"}, std::nullopt, 3), "Tessane — showing A, B and 3 more");
    EXPECT_EQ(M::statusTooltip({}, "2.1", 3), "Tessane — update to 2.1 is ready");
    EXPECT_EQ(M::statusTooltip({"A", "B"}, "2.1", 3), "Tessane — showing A, B — update to 2.1 is ready");

    EXPECT_EQ(M::statusImage(false, false), (StatusImage{false, false, "Tessane"}));
    EXPECT_EQ(M::statusImage(true, false), (StatusImage{true, false, "Tessane — a workspace is showing"}));
    EXPECT_EQ(M::statusImage(true, true),
              (StatusImage{true, true, "Tessane — a workspace is showing, update available"}));
    EXPECT_EQ(M::statusImage(false, true), (StatusImage{false, true, "Tessane, update available"}));
}

TEST_F(MenuBarMenuTest, TheIconAndTooltipFollowTheShownWorkspaces) {
    scenario.launchApp("Notes");
    scenario.launchApp("Mail");
    const auto a = addWorkspace("A", {"Notes"});
    const auto b = addWorkspace("B", {"Mail"});
    menuBar();
    EXPECT_EQ(tray.image(), MenuBarController::statusImage(false, false));
    EXPECT_EQ(tray.toolTip(), "Tessane");
    scenario.putUp(a);
    scenario.putUp(b, {40, 60, 600, 400});
    scenario.drain();
    EXPECT_EQ(tray.image(), MenuBarController::statusImage(true, false));
    EXPECT_EQ(tray.toolTip(), "Tessane — showing A, B");
}

TEST_F(MenuBarMenuTest, ANameOrPrimaryAppChangeRebuildsASecondaryAppOrLayoutChangeDoesNot) {
    scenario.installApp("Notes");
    scenario.installApp("Mail");
    const auto ws = addWorkspace("Write", {"Notes"});
    const auto other = addWorkspace("Read", {});
    menuBar();
    scenario.drain();
    ASSERT_EQ(tray.menusInstalled(), 1);

    scenario.manager->addApp(scenario.installApp("Mail"), ws.id);
    scenario.drain();
    scenario.manager->setLayoutType(LayoutType::topBottomSplit, ws.id);
    scenario.drain();
    EXPECT_EQ(tray.menusInstalled(), 1);

    scenario.manager->renameWorkspace(ws.id, "Writing");
    scenario.drain();
    EXPECT_EQ(tray.menusInstalled(), 2);
    EXPECT_TRUE(row("Writing"));
    EXPECT_FALSE(row("Write"));

    const auto mailID = scenario.workspace(ws.id).apps[1].id;
    scenario.manager->setPrimaryApp(mailID, ws.id);
    scenario.drain();
    EXPECT_EQ(tray.menusInstalled(), 3);

    scenario.manager->deleteWorkspace(other.id);
    scenario.drain();
    EXPECT_EQ(tray.menusInstalled(), 4);
    EXPECT_FALSE(row("Read"));
}

TEST_F(MenuBarMenuTest, WhenTheOrderChangesTheDigitChordsAreBoundAgain) {
    scenario.installApp("Notes");
    const auto first = addWorkspace("First", {});
    addWorkspace("Second", {"Notes"});
    menuBar();
    scenario.drain();
    EXPECT_EQ(row("Second")->shortcut, "Super+Alt+2");
    // The first goes: the second moves to the front, in the menu and on the keyboard.
    scenario.manager->deleteWorkspace(first.id);
    scenario.drain();
    EXPECT_EQ(row("Second")->shortcut, "Super+Alt+1");
    scenario.clearLog();
    EXPECT_TRUE(scenario.sim.hotKeys.press(ShortcutBindings::kDigitKeyCodes[0], ShortcutBindings::kOptionCommand));
    ASSERT_FALSE(scenario.log().empty());
    EXPECT_EQ(scenario.log().front(), "[Tessane] Show workspace requested: Second");
}

TEST_F(MenuBarMenuTest, AStateChangeRefreshesRowsWithoutCountingAsAnOpening) {
    scenario.launchApp("Notes");
    const auto ws = addWorkspace("Write", {"Notes"});
    scenario.sim.eventMonitors.moveMouse({200, 200});
    menuBar();
    ASSERT_TRUE(menuBar().menuOpenedOn());
    const TimeInterval built = menuBar().menuOpenedOn()->at;
    scenario.advance(5);
    const int changes = tray.menuChanges();
    scenario.putUp(ws);
    scenario.drain();
    EXPECT_GT(tray.menuChanges(), changes);
    EXPECT_EQ(menuBar().menuOpenedOn()->at, built);
    EXPECT_TRUE(row("Write")->checked);

    scenario.advance(5);
    tray.open();
    EXPECT_EQ(menuBar().menuOpenedOn()->at, built + 10);
}

TEST_F(MenuBarMenuTest, TheUpdateRowAppearsWithAPublishedVersionAndBothRowsAskTheUpdater) {
    menuBar();
    auto update = menu().rows[1];
    EXPECT_TRUE(update->hidden);
    EXPECT_EQ(update->title, "");
    EXPECT_FALSE(row("Check for Updates…")->hidden);

    updater.callbacks.didFindValidUpdate("2.1");
    scenario.drain();
    scenario.drain();
    EXPECT_FALSE(update->hidden);
    EXPECT_EQ(update->title, "Update to 2.1 available");
    EXPECT_EQ(update->toolTip, "Install it now — Tessane restarts into the new version.");
    EXPECT_EQ(tray.image(), MenuBarController::statusImage(false, true));
    EXPECT_EQ(tray.toolTip(), "Tessane — update to 2.1 is ready");
    EXPECT_TRUE(tray.choose("Update to 2.1 available"));
    EXPECT_TRUE(tray.choose("Check for Updates…"));
    EXPECT_EQ(updater.checks, 2);

    updater.callbacks.didNotFindUpdate();
    scenario.drain();
    scenario.drain();
    EXPECT_TRUE(update->hidden);
    EXPECT_EQ(update->title, "");
    EXPECT_EQ(update->toolTip, "");
}

TEST_F(MenuBarMenuTest, ABuildThatDoesNotUpdateItselfShowsNoUpdateRows) {
    updater.offers = false;
    menuBar();
    updater.callbacks.didFindValidUpdate("2.1");
    scenario.drain();
    scenario.drain();
    EXPECT_TRUE(menu().rows[1]->hidden);
    EXPECT_TRUE(row("Check for Updates…")->hidden);
}

TEST_F(MenuBarMenuTest, TheStageManagerRowShowsOnlyWhileItIsOnReadAtEachOpening) {
    menuBar();
    auto notice = menu().rows[2];
    EXPECT_TRUE(notice->hidden);
    scenario.setStageManager(true);
    scenario.drain();
    tray.open();
    EXPECT_FALSE(notice->hidden);
    EXPECT_FALSE(notice->enabled);
    scenario.setStageManager(false);
    scenario.drain();
    tray.open();
    EXPECT_TRUE(notice->hidden);
}

}  // namespace
}  // namespace tessane::testing
