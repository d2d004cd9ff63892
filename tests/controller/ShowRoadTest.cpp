#include "support/ControllerScenario.h"

#include "platform/Accessibility.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

class ShowRoad : public ::testing::Test {
protected:
    // The lines of the show road itself (not the activation or Stage Manager reactions).
    Lines showLines() const {
        Lines out;
        for (const auto& line : s.log())
            if (line.rfind("[Tessane] Show", 0) == 0 || line.find("remembered document") != std::string::npos ||
                line.find("retry pressed") != std::string::npos)
                out.push_back(line);
        return out;
    }
    std::vector<std::string> alertTitles() const {
        std::vector<std::string> out;
        for (const auto& a : s.sim.alerts.shown()) out.push_back(a.messageText);
        return out;
    }
    void show(const Workspace& ws) {
        s.controller().showWorkspace(ws.id, [this] { ++shown; });
    }
    bool inTiles(const Workspace& ws) {
        const auto tiles = s.probe().tileRects(s.workspace(ws.id));
        for (size_t i = 0; i < ws.apps.size(); ++i)
            if (s.window(ws.apps[i].displayName).frame() != tiles.at(i)) return false;
        return true;
    }

    ControllerScenario s;
    int shown = 0;
};

TEST_F(ShowRoad, RunningAppsPassEveryGateAndLandInTheirPanesAtTheFirstPoll) {
    s.launchApp("Notes");
    s.launchApp("Mail");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    s.start();
    s.clearLog();
    const int activations = s.sim.applications.activationRequests();
    // The windows are moved as soon as the container's frame is known, before its chrome is up;
    // the primary app is activated after the moves, and before the chrome (which must lie above it).
    std::optional<bool> inTilesAtChrome;
    std::optional<Pid> frontAtChrome;
    s.onChromeOrderedFront = [&] {
        inTilesAtChrome = inTiles(ws);
        if (const auto front = s.sim.applications.frontmostApplication()) frontAtChrome = front->pid;
    };

    show(ws);

    EXPECT_EQ(shown, 1);
    EXPECT_EQ(inTilesAtChrome, true);
    EXPECT_EQ(frontAtChrome, s.pid("Notes"));
    EXPECT_EQ(s.sim.applications.activationRequests() - activations, 1);  // the primary, once
    EXPECT_EQ(showLines(), (Lines{"[Tessane] Show workspace requested: Write", "[Tessane] Show ‘Write’: frame up in 0 ms."}));
    EXPECT_EQ(s.logCount("[Tessane][AX] Show Workspace ‘Write’: trusted=true"), 1u);
    EXPECT_TRUE(inTiles(ws));  // the first poll found every window and tiled
    // The container of a workspace never shown: the main display's usable area less 12 pt.
    EXPECT_EQ(s.probe().session(ws.id)->containerAXRect, Rect(12, 37, 1416, 851));
    EXPECT_EQ(s.probe().tileRects(ws).at(0), Rect(15, 40, 702, 845));
    EXPECT_EQ(s.probe().pendingLaunches().at(ws.id), std::set<std::string>{});
    EXPECT_EQ(*s.manager->activeWorkspaceID().get(), ws.id);
    EXPECT_EQ(s.sim.applications.frontmostApplication()->pid, s.pid("Notes"));  // the primary app
    EXPECT_TRUE(s.sim.alerts.shown().empty());
    EXPECT_EQ(s.shownNames(), (std::vector<std::string>{"Write"}));
    EXPECT_TRUE(s.sim.applications.openRequests().empty());
}

TEST_F(ShowRoad, WhatTheTilingLogsWhenTheWindowsAreMovedBeforeTheChromeComesAfterTheFrameLine) {
    s.launchApp("Notes");
    s.launchApp("Mail");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    s.start();
    s.window("Notes").setMinimumSize({800, 400});
    s.clearLog();

    show(ws);

    const Lines log = s.log();
    const auto at = [&](const std::string& text) {
        return std::find_if(log.begin(), log.end(), [&](const auto& l) { return l.find(text) != std::string::npos; }) -
               log.begin();
    };
    EXPECT_LT(at("frame up in 0 ms."), at("Notes refused its pane"));
    EXPECT_LT(at("Notes refused its pane"), at("[Tessane][geom] Write pane 0 (Notes)"));
    EXPECT_LT(at("[Tessane][geom] Write pane 0 (Notes)"), static_cast<long>(log.size()));
}

TEST_F(ShowRoad, ALaunchedAppWhoseWindowComesLateIsAdoptedAsItAppears) {
    s.launchApp("Notes");
    s.installApp("Mail");
    s.sim.applications.setLaunchBehaviour(ControllerScenario::bundleID("Mail"), {.launchTime = 0.4, .windowDelay = 1.3});
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    s.start();
    s.clearLog();

    show(ws);
    EXPECT_EQ(shown, 1);  // at once: the show does not wait for the tiling
    EXPECT_EQ(showLines().back(), "[Tessane] Show ‘Write’: frame up in 0 ms, 1 app(s) still launching.");
    ASSERT_EQ(s.sim.applications.openRequests().size(), 1u);
    EXPECT_FALSE(s.sim.applications.openRequests()[0].activates);

    s.advance(1.65);  // Mail's window comes up at 1.7 s
    const auto tiles = s.probe().tileRects(ws);
    EXPECT_EQ(s.window("Notes").frame(), tiles[0]);  // placed while waiting, as soon as it was there
    EXPECT_EQ(s.logCount("adopted a window"), 0u);

    s.advance(0.1);  // its window-created report restarts the sweep, which adopts it at once
    const auto& mail = *s.sim.windowServer.app(s.sim.applications.runningApplicationsWithBundleIdentifier(
                                                   ControllerScenario::bundleID("Mail"))[0].pid)
                            ->window(0);
    EXPECT_EQ(mail.frame(), tiles[1]);
    EXPECT_EQ(s.logCount("[Tessane] Mail: adopted a window into pane 2 of ‘Write’."), 1u);
    EXPECT_EQ(s.probe().session(ws.id)->elements.size(), 2u);
    EXPECT_EQ(s.logCount("windows ready after"), 0u);  // all came before the limit
    EXPECT_TRUE(s.sim.alerts.shown().empty());
}

// The window manager being replaced: a show waits for its successor without holding the main
// queue (each workspace once, a hide meanwhile takes its show back), nobody is prompted, and a
// placement that fails meanwhile blames no application and is done again once it is back.
TEST_F(ShowRoad, WhileTheManagerIsReplacedAShowWaitsForTheNextOneAndNoAppIsBlamed) {
    s.launchApp("Notes");
    s.launchApp("Mail");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    auto other = s.addWorkspace("Read", {"Mail", "Notes"});
    s.start();
    s.clearLog();
    s.sim.accessibility.beginReplacement();
    show(ws);
    show(ws);
    s.controller().showWorkspace(other.id);
    s.controller().hideWorkspace(other.id);
    s.advance(1);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(s.sim.accessibility.promptCount(), 0);
    EXPECT_EQ(s.logCount("[Tessane] Show ‘Write’ waits for the window manager to take it."), 1u);
    s.sim.accessibility.endReplacement(true);
    s.advance(0.1);
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(inTiles(ws));
    EXPECT_EQ(s.shownNames(), (std::vector<std::string>{"Write"}));

    s.window("Notes").setFrame({300, 300, 500, 400});
    s.sim.accessibility.beginReplacement();
    s.probe().placeWindows(s.workspace(ws.id));
    s.sim.accessibility.endReplacement(true);
    s.advance(0.1);
    EXPECT_TRUE(inTiles(ws));
    EXPECT_EQ(s.logCount("refused its pane"), 0u);
    EXPECT_TRUE(s.sim.alerts.shown().empty());
}

TEST_F(ShowRoad, WithoutAccessibilityTheAppsLaunchButNothingIsShown) {
    s.launchApp("Notes", {.hidden = true});
    s.installApp("Mail");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    s.ledger->record({ControllerScenario::bundleID("Notes")});
    s.sim.accessibility.setTrusted(false);
    s.setStageManager(true);  // not reached: Accessibility comes first
    s.start();
    s.clearLog();

    show(ws);

    EXPECT_EQ(shown, 0);
    EXPECT_EQ(s.sim.accessibility.promptCount(), 1);
    EXPECT_EQ(s.logCount("[Tessane][AX] ensureTrusted (not trusted): trusted=false"), 1u);
    EXPECT_EQ(showLines().back(), "[Tessane] Show: window control not available — apps launched, frame/tiling skipped.");
    EXPECT_EQ(s.sim.applications.openRequests().size(), 1u);  // Mail
    EXPECT_FALSE(s.app("Notes").isRunning() && s.sim.applications.runningApplication(s.pid("Notes"))->isHidden);
    EXPECT_TRUE(s.ledger->hiddenBundleIDs().empty());
    EXPECT_EQ(s.probe().sessionCount(), 0u);
    EXPECT_TRUE(s.sim.alerts.shown().empty());
}

TEST_F(ShowRoad, StageManagerBlocksWithItsAlertAndRetryRunsTheWholeShowAgain) {
    s.launchApp("Notes");
    s.launchApp("Mail");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    s.setStageManager(true);
    s.start();
    s.clearLog();
    s.sim.alerts.duringModal = [this](const AlertSpec&) { s.setStageManager(false); };

    show(ws);
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(s.sim.alerts.shown().size(), 1u);
    const auto& alert = s.sim.alerts.shown()[0];
    EXPECT_EQ(alert.style, AlertSpec::Style::informational);
    EXPECT_EQ(alert.messageText, "“Write” can’t be tiled — Stage Manager is on");
    EXPECT_EQ(alert.buttons, (std::vector<std::string>{"Retry after turning it off", "Dismiss"}));
    EXPECT_EQ(s.probe().sessionCount(), 0u);

    s.drain();  // the retry, without the first caller's completion
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(showLines(),
              (Lines{"[Tessane] Show workspace requested: Write",
                     "[Tessane] Show blocked — Stage Manager is enabled; not tiling ‘Write’ (would fight it).",
                     "[Tessane] Show workspace requested: Write", "[Tessane] Show ‘Write’: frame up in 0 ms."}));
    EXPECT_TRUE(inTiles(ws));
}

class ShortOfWindows : public ShowRoad {
protected:
    void SetUp() override {
        s.launchApp("Notes");
        auto& mail = s.launchApp("Mail");
        mail.addMenu("File").addItem({.title = "New Window", .cmdChar = "n", .onPress = [&mail] {
            mail.addWindow({.title = "Another"});
        }});
        ws = s.addWorkspace("Desk", {"Notes", "Mail", "Mail"}, LayoutType::threeLeftOneRightTwo);
        s.start();
        s.clearLog();
    }
    Workspace ws;
};

TEST_F(ShortOfWindows, TheAlertOffersTheNewWindowCommandWhichIsPressedBeforeTheRetry) {
    show(ws);
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(s.sim.alerts.shown().size(), 1u);
    const auto& alert = s.sim.alerts.shown()[0];
    EXPECT_EQ(alert.messageText, "“Mail” needs 1 more window");
    EXPECT_EQ(alert.informativeText,
              "It has 1 window open but 2 panes in this workspace, so 1 stayed empty. Tessane can try its File ▸ New "
              "Window command — if that makes a tab or a document instead of a window, open one yourself and Retry.");
    EXPECT_EQ(alert.buttons, (std::vector<std::string>{"New Window & Retry", "Dismiss"}));

    s.advance(0.39);
    EXPECT_EQ(s.probe().sessionCount(), 0u);  // the retry waits 0.4 s for the new window
    s.advance(0.02);
    EXPECT_EQ(showLines(), (Lines{"[Tessane] Show workspace requested: Desk", "[Tessane] Show blocked — Mail 1/2.",
                                  "[Tessane] Mail: retry pressed “File ▸ New Window”: ok (had 2 windows).",
                                  "[Tessane] Show workspace requested: Desk", "[Tessane] Show ‘Desk’: frame up in 0 ms."}));
    const auto tiles = s.probe().tileRects(ws);
    EXPECT_EQ(s.window("Mail", 0).frame(), tiles[1]);
    EXPECT_EQ(s.window("Mail", 1).frame(), tiles[2]);
}

TEST_F(ShortOfWindows, DismissDoesNothingMoreAndWithoutACommandTheUserIsAskedToOpenOne) {
    s.app("Mail").setHasMenuBar(false);
    s.sim.alerts.answer(1);
    show(ws);
    const auto& alert = s.sim.alerts.shown().at(0);
    EXPECT_EQ(alert.buttons, (std::vector<std::string>{"Retry", "Dismiss"}));
    EXPECT_TRUE(alert.informativeText.ends_with(" Open another window in Mail, then Retry."));
    s.advance(1);
    EXPECT_EQ(s.logCount("Show workspace requested"), 1u);
}

TEST_F(ShortOfWindows, TwoShortAppsAreListedByNameInOneSentenceEach) {
    s.launchApp("Books");
    auto grid = s.addWorkspace("Grid", {"Notes", "Notes", "Mail", "Mail"}, LayoutType::grid2x2);
    s.sim.alerts.answer(1);
    show(grid);
    const auto& alert = s.sim.alerts.shown().at(0);
    EXPECT_EQ(alert.messageText, "Some panes are empty — those apps need more windows");
    EXPECT_TRUE(alert.informativeText.starts_with("Mail: 1 window for 2 panes. Notes: 1 window for 2 panes."));
    EXPECT_EQ(s.logCount("[Tessane] Show blocked — Mail 1/2, Notes 1/2."), 1u);
}

TEST_F(ShortOfWindows, AnAppWithNoWindowAtAllIsNotShortAndStageManagerComesFirst) {
    s.window("Mail").close();
    s.setStageManager(true);
    s.sim.alerts.answer(1);
    show(ws);
    EXPECT_EQ(alertTitles(), (std::vector<std::string>{"“Desk” can’t be tiled — Stage Manager is on"}));

    s.setStageManager(false);
    s.drain();
    s.sim.alerts.clear();
    show(ws);  // Mail has no window: the show goes on and Mail is asked to reopen
    const auto lines = s.log();
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("[Tessane] Show blocked — Mail");
    }));
    EXPECT_EQ(s.logCount("[Tessane] Mail: running with no window — reopening it now instead of after the wait."), 1u);
}

TEST_F(ShowRoad, TwoPanesOfOneAppLaunchItOnceWithBothRememberedDocuments) {
    s.launchApp("Notes");
    s.installApp("Mail");
    s.sim.applications.addFile("/home/me/a.txt");
    s.sim.applications.addFile("/home/me/b.txt");
    auto ws = s.addWorkspace("Desk", {"Notes", "Mail", "Mail"}, LayoutType::threeLeftOneRightTwo);
    ws.apps[1].lastDocumentPath = "/home/me/a.txt";
    ws.apps[2].lastDocumentPath = "/home/me/b.txt";
    s.manager->update(ws);
    s.start();
    s.clearLog();

    show(ws);
    ASSERT_EQ(s.sim.applications.openRequests().size(), 1u);
    EXPECT_EQ(s.sim.applications.openRequests()[0].documents,
              (std::vector<std::filesystem::path>{"/home/me/a.txt", "/home/me/b.txt"}));
    EXPECT_EQ(showLines().at(1), "[Tessane] Mail: launching with 2 remembered document(s): a.txt, b.txt");

    s.advance(3);  // each document opens a window of its own; each pane finds its document
    const auto tiles = s.probe().tileRects(ws);
    const auto mail = s.sim.applications.runningApplicationsWithBundleIdentifier(ControllerScenario::bundleID("Mail"));
    ASSERT_EQ(mail.size(), 1u);
    for (auto* window : s.sim.windowServer.app(mail[0].pid)->windows()) {
        if (window->document() == "file:///home/me/a.txt") {
            EXPECT_EQ(window->frame(), tiles[1]);
        } else if (window->document() == "file:///home/me/b.txt") {
            EXPECT_EQ(window->frame(), tiles[2]);
        }
    }
    EXPECT_EQ(s.logCount("found its pane's document"), 2u);
}

TEST_F(ShowRoad, DocumentDeadlinesAreThirtySecondsFromTheLaunchFifteenFromItsEndTenForARunningApp) {
    s.installApp("Notes");
    s.launchApp("Mail");
    s.sim.applications.setLaunchBehaviour(ControllerScenario::bundleID("Notes"), {.launchTime = 2, .windowDelay = 5, .windows = 0});
    s.sim.applications.setLaunchBehaviour(ControllerScenario::bundleID("Mail"), {.windowDelay = 5});  // slow to open
    s.sim.applications.addFile("/home/me/plan.txt");
    s.sim.applications.addFile("/home/me/mail.eml");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    ws.apps[0].lastDocumentPath = "/home/me/plan.txt";
    ws.apps[1].lastDocumentPath = "/home/me/mail.eml";
    s.manager->update(ws);
    s.start();
    s.clearLog();
    const TimeInterval t0 = s.sim.mainQueue.now();

    show(ws);
    EXPECT_DOUBLE_EQ(s.probe().awaitingDocument().at(ws.apps[0].id), t0 + 30);
    EXPECT_DOUBLE_EQ(s.probe().awaitingDocument().at(ws.apps[1].id), t0 + 10);
    EXPECT_EQ(showLines().at(2), "[Tessane] Mail is running without 1 remembered document(s) — opening: mail.eml");
    EXPECT_EQ(showLines().back(), "[Tessane] Show ‘Write’: frame up in 0 ms, 2 app(s) still launching.");
    EXPECT_EQ(s.probe().pendingLaunches().at(ws.id), std::set<std::string>{ControllerScenario::bundleID("Notes")});

    s.advance(2.05);  // the launch answered at 2 s: exempt until 17 s, not 30 s
    EXPECT_DOUBLE_EQ(s.probe().awaitingDocument().at(ws.apps[0].id), t0 + 17);
    EXPECT_TRUE(s.probe().pendingLaunches().at(ws.id).empty());
}

// A running editor handed the remembered file opens a window at a size of its own and names the
// file in its title a moment later: that window was never asked into its pane, so its size says
// nothing of the editor's minimum, and the split stays even.
TEST_F(ShowRoad, AWindowThatNamesItsDocumentLateIsPlacedAndNotTakenForAMinimum) {
    s.launchApp("Notes");
    s.launchApp("Mail");  // showing another file
    s.sim.applications.setLaunchBehaviour(ControllerScenario::bundleID("Mail"), {.windowDelay = 60});
    s.sim.applications.addFile("/home/me/todo.txt");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    ws.apps[1].lastDocumentPath = "/home/me/todo.txt";
    s.manager->update(ws);
    s.start();
    show(ws);
    auto& late = s.app("Mail").addWindow({.title = "Untitled", .frame = {300, 200, 642, 505}});
    s.advance(0.1);
    late.setDocument("file:///home/me/todo.txt");
    s.advance(3);

    EXPECT_EQ(s.workspace(ws.id).layout.ratios.value_or(std::vector<double>{0.5}), std::vector<double>{0.5});
    EXPECT_EQ(late.frame(), s.probe().tileRects(s.workspace(ws.id)).at(1));
    EXPECT_EQ(s.logCount("[Tessane] Mail: found its pane's document “todo.txt”."), 1u);
}

TEST_F(ShowRoad, MissingAppsAndFailedLaunchesComeInOneAlertOnceTheLastLaunchAnswered) {
    s.launchApp("Notes");
    s.installApp("Mail");
    s.installApp("Books");
    s.sim.applications.setLaunchBehaviour(
        ControllerScenario::bundleID("Mail"),
        {.launchTime = 1, .failure = SystemError{"NSCocoaErrorDomain", 1, "It broke."}});
    auto ws = s.addWorkspace("Trio", {"Notes", "Mail", "Books"}, LayoutType::mainSidebar);
    s.sim.applications.removeFile("/Applications/Books.app");  // uninstalled since
    s.start();
    s.clearLog();

    show(ws);
    // Books is not installed: never launched, never waited for.
    EXPECT_EQ(showLines().back(), "[Tessane] Show ‘Trio’: frame up in 0 ms, 1 app(s) still launching.");
    s.advance(0.9);
    EXPECT_TRUE(s.sim.alerts.shown().empty());
    s.advance(0.2);
    const auto issues = std::find_if(s.sim.alerts.shown().begin(), s.sim.alerts.shown().end(),
                                     [](const AlertSpec& a) { return a.messageText.starts_with("Some apps"); });
    ASSERT_NE(issues, s.sim.alerts.shown().end());
    EXPECT_EQ(issues->messageText, "Some apps in “Trio” couldn't be shown");
    EXPECT_EQ(issues->informativeText, "Not installed: Books\nTessane couldn't launch Mail: It broke.");
    EXPECT_EQ(std::count_if(s.sim.alerts.shown().begin(), s.sim.alerts.shown().end(),
                            [](const AlertSpec& a) { return a.messageText.starts_with("Some apps"); }),
              1);
    EXPECT_TRUE(s.probe().pendingLaunches().at(ws.id).empty());
}

TEST_F(ShowRoad, AControllerReleasedWhileItsLaunchesAreOutIsNotTouchedWhenTheyAnswer) {
    s.launchApp("Notes");
    s.installApp("Mail");
    s.sim.applications.setLaunchBehaviour(
        ControllerScenario::bundleID("Mail"),
        {.launchTime = 1, .failure = SystemError{"NSCocoaErrorDomain", 1, "It broke."}});
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    s.start();
    show(ws);
    s.stop();
    s.advance(2);  // the launch answers with an error, which nobody is left to report
    EXPECT_TRUE(std::none_of(s.sim.alerts.shown().begin(), s.sim.alerts.shown().end(),
                             [](const AlertSpec& a) { return a.messageText.starts_with("Some apps"); }));
}

TEST_F(ShowRoad, TheCountTestNamesTheLayoutAndChangesNothing) {
    s.launchApp("Notes");
    auto grid = s.addWorkspace("Grid", {"Notes", "Notes", "Notes"}, LayoutType::grid2x2);
    auto empty = s.addWorkspace("Empty", {});
    s.ledger->record({ControllerScenario::bundleID("Notes")});
    s.start();
    show(grid);
    show(empty);
    ASSERT_EQ(s.sim.alerts.shown().size(), 2u);
    EXPECT_EQ(s.sim.alerts.shown()[0].messageText, "“Grid” needs 4 apps");
    EXPECT_EQ(s.sim.alerts.shown()[0].informativeText,
              "The “2 × 2 Grid” layout tiles 4 apps. Open Settings to add or remove apps, or pick a different layout.");
    EXPECT_EQ(s.sim.alerts.shown()[0].buttons, (std::vector<std::string>{"OK"}));
    EXPECT_EQ(s.sim.alerts.shown()[1].messageText, "“Empty” has no apps");
    EXPECT_FALSE(s.ledger->hiddenBundleIDs().empty());
    EXPECT_EQ(shown, 0);
    s.controller().showWorkspace(Uuid::random());  // unknown: not even a log line
    EXPECT_EQ(s.logCount("Show workspace requested"), 2u);
}

TEST_F(ShowRoad, ShowingAgainWhileTheWaitRunsGivesOneTilingOneAlertAndOneTipsCheck) {
    s.launchApp("Notes");
    s.installApp("Mail");
    s.installApp("Books");
    s.sim.applications.setLaunchBehaviour(ControllerScenario::bundleID("Mail"), {.launchTime = 1});
    auto ws = s.addWorkspace("Trio", {"Notes", "Mail", "Books"}, LayoutType::mainSidebar);
    s.sim.applications.removeFile("/Applications/Books.app");  // uninstalled since
    s.start();

    show(ws);
    s.advance(0.5);
    show(ws);
    s.advance(5);

    EXPECT_EQ(shown, 2);
    const auto titles = alertTitles();
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "Some windows in “Trio” couldn’t be arranged"), 1);
    EXPECT_EQ(s.tips->shows, 1);
}

}  // namespace
}  // namespace tessane::testing
