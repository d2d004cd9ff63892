#include "controller/ContainerFrameRecord.h"
#include "controller/ControllerDefaultsKeys.h"
#include "layout/ScreenGeometry.h"
#include "support/ShownWorkspace.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

// Write (Notes, Mail) shown at (40, 60, 1200, 700) on the first of two displays: 1440 x 900 and,
// to its right, 1920 x 1080. Usable areas in Accessibility coordinates: (0, 25, 1440, 875) and
// (1440, -155, 1920, 1055).
class LayoutCommands : public ShownWorkspace {
protected:
    void SetUp() override {
        ShownWorkspace::SetUp();
        s.setDisplays({ControllerScenario::display({0, 0, 1440, 900}, 1),
                       ControllerScenario::display({1440, 0, 1920, 1080}, 2)});
        s.input.pointer = {100, 100};  // on the first display
        s.clearLog();
    }
    Workspace stored() { return s.workspace(ws.id); }
    Rect container() { return *s.probe().session(ws.id)->containerAXRect; }
    bool inTiles() {
        const auto tiles = s.probe().tileRects(stored());
        return s.window("Notes").frame() == tiles.at(0) && s.window("Mail").frame() == tiles.at(1);
    }
    static Rect screenRect(const Rect& ax) { return ScreenGeometry::screenRectFromAX(ax, 900); }

    static constexpr Rect kFirstUsable{0, 25, 1440, 875};
    static constexpr Rect kSecondUsable{1440, -155, 1920, 1055};
};

// ------------------------------------------------------------------ the Stage Manager guard

TEST_F(LayoutCommands, EveryGuardedCommandIsBlockedWhileStageManagerIsOnAndItsRetryRunsItAgain) {
    struct Case {
        const char* blocked;
        std::function<void(WorkspaceController&, const Uuid&)> run;
        const char* ranLine;
    };
    const std::vector<Case> cases{
        {"[Tessane] Restore blocked — Stage Manager is enabled.",
         [](auto& c, auto& id) { c.restoreLayout(id); }, "[Tessane] Restore: no saved checkpoint"},
        {"[Tessane] Move to display blocked — Stage Manager is enabled.",
         [](auto& c, auto& id) { c.moveWorkspaceToDisplay(id, 1); }, "[Tessane] Move workspace Write to screen 1"},
        {"[Tessane] Reset blocked — Stage Manager is enabled.", [](auto& c, auto& id) { c.resetWorkspace(id); },
         "[Tessane] Reset workspace: Write"},
        {"[Tessane] Summon blocked — Stage Manager is enabled.", [](auto& c, auto& id) { c.summonWorkspace(id); },
         "[Tessane] Bring active workspace to current display"},
        {"[Tessane] Bring Here blocked — Stage Manager is enabled.",
         [](auto& c, auto&) { c.bringActiveWorkspaceToCurrentDisplay(); },
         "[Tessane] Bring active workspace to current display"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.blocked);
        s.setStageManager(true);
        s.advance(0.5);
        s.clearLog();
        s.sim.alerts.clear();
            const Rect before = container();

        c.run(s.controller(), ws.id);

        EXPECT_EQ(s.logCount(c.blocked), 1u);
        EXPECT_EQ(s.logCount(c.ranLine), 0u);
        ASSERT_EQ(s.sim.alerts.shown().size(), 1u);  // its first button, Retry, is the scripted answer
        EXPECT_EQ(s.sim.alerts.shown()[0].messageText, "“Write” can’t be tiled — Stage Manager is on");
        EXPECT_EQ(container(), before);

        s.sim.preferences.set("com.apple.WindowManager", "GloballyEnabled", false);
        s.drain();  // the retry, on the next turn
        EXPECT_EQ(s.logCount(c.ranLine), 1u);
        s.advance(1);
    }
}

TEST_F(LayoutCommands, CommandsOnAWorkspaceThatIsGoneDoNothing) {
    const Uuid gone = Uuid::random();
    auto& c = s.controller();
    c.restoreLayout(gone);
    c.saveLayout(gone);
    c.moveWorkspaceToDisplay(gone, 1);
    c.resetWorkspace(gone);
    c.releaseWorkspace(gone);
    c.closeWorkspaceApps(gone);
    c.summonWorkspace(gone);
    EXPECT_TRUE(s.log().empty());
    EXPECT_TRUE(s.sim.alerts.shown().empty());
}

// ------------------------------------------------------------------ restore and save

TEST_F(LayoutCommands, RestoreWithoutACheckpointUsesTheLastFrameAndTiles) {
    auto edited = stored();
    edited.lastContainerFrame = RectModel::from({100, 100, 900, 600});
    s.manager->update(edited);
    s.clearLog();

    s.controller().restoreLayout(ws.id);

    const Lines expected{"[Tessane] Restore layout requested: Write",
                         "[Tessane] Restore: no saved checkpoint — using last-used frame/ratios."};
    const Lines log = s.log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(Lines(log.begin(), log.begin() + 2), expected);
    EXPECT_EQ(s.logCount("[Tessane][AX] Restore Layout ‘Write’: trusted=true"), 1u);
    EXPECT_EQ(container(), Rect(100, 100, 900, 600));
    EXPECT_TRUE(inTiles());
}

TEST_F(LayoutCommands, RestoreAppliesTheCheckpointAndRestoringUnchangedSaysThereIsNone) {
    // Shown a while: its frame is stored as it stands.
    auto edited = rememberingContainerFrame(stored(), container(), s.probe().currentTopology());
    edited.layout.ratios = std::vector<double>{0.3};
    s.manager->update(edited);
    s.controller().saveLayout(ws.id);
    EXPECT_EQ(s.logCount("[Tessane] Save Current Layout: Write — checkpoint saved (frame + ratios=[0.3])."), 1u);
    EXPECT_EQ(stored().savedLayout, (LayoutCheckpoint{RectModel::from({40, 60, 1200, 700}), std::vector<double>{0.3}}));

    s.controller().restoreLayout(ws.id);  // nothing changed since the save
    EXPECT_EQ(s.logCount("[Tessane] Restore: no saved checkpoint — using last-used frame/ratios."), 1u);

    edited = stored();
    edited.layout.ratios = std::vector<double>{0.7};
    edited.lastContainerFrame = RectModel::from({300, 200, 800, 500});
    s.manager->update(edited);
    s.clearLog();
    s.controller().restoreLayout(ws.id);

    EXPECT_EQ(s.logCount("[Tessane] Restore: applied saved checkpoint (frame + ratios)."), 1u);
    EXPECT_EQ(stored().layout.ratios, std::vector<double>{0.3});
    EXPECT_EQ(stored().lastContainerFrame, RectModel::from({40, 60, 1200, 700}));
    EXPECT_EQ(stored().homeFrame(s.probe().currentTopology()), Rect(40, 60, 1200, 700));
    EXPECT_EQ(container(), Rect(40, 60, 1200, 700));
    EXPECT_TRUE(inTiles());
}

TEST_F(LayoutCommands, ACheckpointWithoutRatiosRestoresTheDefaults) {
    auto edited = stored();
    edited.layout.ratios = std::vector<double>{0.7};
    edited.savedLayout = LayoutCheckpoint{RectModel::from({40, 60, 1200, 700}), std::nullopt};
    s.manager->update(edited);
    s.controller().restoreLayout(ws.id);
    const auto tiles = s.probe().tileRects(stored());  // the default: halves
    EXPECT_EQ(tiles.at(0).width(), tiles.at(1).width());
}

TEST_F(LayoutCommands, RestoringAWorkspaceThatIsNotShownStoresTheLayoutAndShowsNothing) {
    auto other = s.addWorkspace("Listen", {"Music", "Notes"});
    other.savedLayout = LayoutCheckpoint{RectModel::from({10, 30, 700, 500}), std::vector<double>{0.4}};
    s.manager->update(other);
    const size_t chromesBefore = s.chromes.size();

    s.controller().restoreLayout(other.id);

    EXPECT_EQ(s.workspace(other.id).lastContainerFrame, RectModel::from({10, 30, 700, 500}));
    EXPECT_EQ(s.workspace(other.id).layout.ratios, std::vector<double>{0.4});
    EXPECT_EQ(s.probe().session(other.id), nullptr);
    EXPECT_EQ(s.chromes.size(), chromesBefore);
    EXPECT_EQ(s.window("Music").frame(), Rect(100, 100, 800, 600));
}

TEST_F(LayoutCommands, RestoreWithoutWindowControlPromptsAndShowsNothing) {
    s.sim.accessibility.setTrusted(false);
    s.controller().restoreLayout(ws.id);
    EXPECT_EQ(s.logCount("[Tessane] Restore: window control not available — container not shown, tiling skipped."), 1u);
    EXPECT_EQ(s.logCount("[Tessane][AX] ensureTrusted (not trusted)"), 1u);
    EXPECT_EQ(s.window("Notes").frame(), Rect(100, 100, 800, 600));
}

// ------------------------------------------------------------------ move and bring here

TEST_F(LayoutCommands, MoveToTheSecondDisplayFillsItAndBringHereFetchesItBack) {
    s.controller().moveWorkspaceToDisplay(ws.id, 2);  // one past the last display
    EXPECT_TRUE(s.log().empty());

    s.controller().moveWorkspaceToDisplay(ws.id, 1);
    EXPECT_EQ(s.log().front(), "[Tessane] Move workspace Write to screen 1 (Display 2): (40,60 1200×700) → "
                               "(1440,-155 1920×1055) (filled; Restore Size → (1440,60 1200×700))");
    EXPECT_EQ(container(), kSecondUsable);
    EXPECT_EQ(stored().lastContainerFrame, RectModel::from(kSecondUsable));
    EXPECT_EQ(stored().homeFrame(s.probe().currentTopology()), kSecondUsable);
    const ChromeRecord& chrome = s.chrome(ws.id);
    EXPECT_EQ(chrome.containerCocoaRect, screenRect(kSecondUsable));
    EXPECT_TRUE(chrome.isMaximized);
    EXPECT_EQ(chrome.preMaximizeFrame, screenRect({1440, 60, 1200, 700}));
    EXPECT_TRUE(chrome.isVisible);
    s.advance(1);  // a window crossing displays lands in two steps
    EXPECT_TRUE(inTiles());
    s.advance(2);
    s.clearLog();

    s.controller().bringActiveWorkspaceToCurrentDisplay();  // the pointer is on the first display
    EXPECT_EQ(s.log().front(),
              "[Tessane] Bring active workspace to current display (mouse cursor): original=(1440,-155 1920×1055) "
              "resolved=(0,25 1440×875) (filled — from another display); checkpoint preserved. displays(AX): "
              "[screen0 visible=(0,25 1440×875); screen1 visible=(1440,-155 1920×1055)]");
    EXPECT_EQ(container(), kFirstUsable);
    EXPECT_TRUE(chrome.isMaximized);
    EXPECT_EQ(chrome.preMaximizeFrame, screenRect(kFirstUsable));  // the clamped frame
    EXPECT_EQ(stored().homeFrame(s.probe().currentTopology()), kFirstUsable);
    s.advance(1);
    EXPECT_TRUE(inTiles());
}

TEST_F(LayoutCommands, BringHereOnItsOwnDisplayOnlyPullsTheContainerOntoTheUsableArea) {
    s.probe().session(ws.id)->containerAXRect = Rect(-200, 60, 1200, 700);
    s.controller().bringActiveWorkspaceToCurrentDisplay();
    EXPECT_EQ(container(), Rect(0, 60, 1200, 700));
    EXPECT_FALSE(s.chrome(ws.id).isMaximized);
    EXPECT_EQ(s.logCount("(filled — from another display)"), 0u);
    EXPECT_EQ(s.logCount("resolved=(0,60 1200×700); checkpoint preserved."), 1u);
    EXPECT_EQ(stored().lastContainerFrame, RectModel::from({0, 60, 1200, 700}));
}

TEST_F(LayoutCommands, BringHereWithoutAnActiveWorkspaceOnlySaysSo) {
    s.manager->setActiveWorkspace(std::nullopt);
    s.clearLog();
    s.controller().bringActiveWorkspaceToCurrentDisplay();
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Bring to current display requested, but no active workspace — ignored."}));
}

TEST_F(LayoutCommands, ASessionPutUpWithoutAShowGetsItsChromeReadiedFirst) {
    auto other = s.addWorkspace("Listen", {"Music", "Notes"});
    other.layout.ratios = std::vector<double>{0.4};
    s.manager->update(other);
    s.manager->setActiveWorkspace(other.id);  // the active id outlived its session

    s.controller().bringActiveWorkspaceToCurrentDisplay();

    ASSERT_NE(s.probe().session(other.id), nullptr);
    const ChromeRecord& chrome = *s.chromes.back();
    EXPECT_TRUE(chrome.hasHeaderPanel);
    EXPECT_EQ(chrome.currentTitle, "Listen");
    EXPECT_EQ(chrome.currentAppCount, 2);
    EXPECT_EQ(chrome.currentRatios, std::vector<double>{0.4});
    EXPECT_EQ(chrome.currentAppIcons.size(), 2u);
    EXPECT_FALSE(chrome.isSoloed);
    EXPECT_FALSE(chrome.shieldsHidden);
    EXPECT_TRUE(chrome.isVisible);
    // Readied before the geometry went on.
    const auto& calls = chrome.calls;
    const auto rail = std::find(calls.begin(), calls.end(), "makeRailPanel");
    const auto geometry = std::find(calls.begin(), calls.end(), "applyGeometry(true)");
    EXPECT_LT(rail - calls.begin(), geometry - calls.begin());
    EXPECT_NE(geometry, calls.end());
    EXPECT_EQ(s.shownNames(), (std::vector<std::string>{"Listen", "Write"}));
}

TEST_F(LayoutCommands, SummonShowsAWorkspaceFirstAndMovesItOnceShown) {
    auto other = s.addWorkspace("Listen", {"Music", "Notes"});
    s.clearLog();
    s.controller().summonWorkspace(other.id);
    EXPECT_EQ(*s.manager->activeWorkspaceID().get(), other.id);
    EXPECT_EQ(s.logCount("[Tessane] Show workspace requested: Listen"), 1u);
    EXPECT_EQ(s.logCount("[Tessane] Bring active workspace to current display (mouse cursor)"), 1u);

    s.clearLog();
    s.controller().summonWorkspace(ws.id);  // shown: made active and front, then brought
    EXPECT_EQ(*s.manager->activeWorkspaceID().get(), ws.id);
    EXPECT_EQ(s.probe().recentWorkspaceIDs().front(), ws.id);
    EXPECT_EQ(s.logCount("[Tessane] Show workspace requested"), 0u);
    EXPECT_EQ(s.logCount("[Tessane] Bring active workspace to current display"), 1u);
}

// ------------------------------------------------------------------ reset, release, quit

TEST_F(LayoutCommands, ResetFillsTheDisplayInUseAndClearsTheRatios) {
    auto edited = stored();
    edited.layout.ratios = std::vector<double>{0.3};
    s.manager->update(edited);
    s.clearLog();

    s.controller().resetWorkspace(ws.id);

    EXPECT_EQ(s.log().front(), "[Tessane] Reset workspace: Write → (0,25 1440×875)");
    const auto tiles = s.probe().tileRects(stored());  // the default ratio again: halves
    EXPECT_EQ(tiles.at(0).width(), tiles.at(1).width());
    EXPECT_EQ(stored().lastContainerFrame, RectModel::from(kFirstUsable));
    EXPECT_EQ(container(), kFirstUsable);
    EXPECT_TRUE(inTiles());
}

TEST_F(LayoutCommands, ResetWithoutWindowControlIsSkipped) {
    s.sim.accessibility.setTrusted(false);
    s.controller().resetWorkspace(ws.id);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Reset: skipped (no window control or no current display)."}));
}

TEST_F(LayoutCommands, ReleaseStopsTheTilingButLeavesEveryWindowWhereItIs) {
    s.window("Notes").setFrame({5, 40, 300, 300});  // where the user has put them
    s.window("Mail").setFrame({700, 80, 500, 400});

    s.controller().releaseWorkspace(ws.id);

    EXPECT_EQ(s.log(), (Lines{"[Tessane] Release workspace: Write — tiling stops, windows stay where they are.",
                              "[Tessane] Active workspace changed: Write → none"}));
    EXPECT_EQ(s.probe().session(ws.id), nullptr);
    EXPECT_FALSE(s.chrome(ws.id).isVisible);
    s.advance(2);
    EXPECT_EQ(s.window("Notes").frame(), Rect(5, 40, 300, 300));
    EXPECT_EQ(s.window("Mail").frame(), Rect(700, 80, 500, 400));
    EXPECT_FALSE(s.sim.applications.runningApplication(s.pid("Notes"))->isHidden);
    EXPECT_EQ(s.workspace(ws.id).apps.size(), 2u);

    s.controller().releaseWorkspace(ws.id);  // no session: nothing
    EXPECT_EQ(s.logCount("[Tessane] Release workspace"), 1u);
}

TEST_F(LayoutCommands, ReleasingTheSoloedWorkspaceEndsItsSoloFirst) {
    s.controller().soloFocusedPane();
    ASSERT_TRUE(s.probe().solo().current().has_value());
    s.clearLog();
    s.controller().releaseWorkspace(ws.id);
    EXPECT_FALSE(s.probe().solo().current().has_value());
    const Lines log = s.log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "[Tessane] Solo: restored split for workspace " + ws.id.string() + ".");
    EXPECT_EQ(log[1], "[Tessane] Release workspace: Write — tiling stops, windows stay where they are.");
}

TEST_F(LayoutCommands, QuitAppsAsksFirstAndQuitsOnlyOnYes) {
    const Pid notes = s.pid("Notes"), mail = s.pid("Mail");
    s.sim.alerts.answer(1);  // Cancel
    s.controller().closeWorkspaceApps(ws.id);
    EXPECT_EQ(s.sim.alerts.shown().back().messageText, "Quit 2 apps in “Write”?");
    EXPECT_EQ(s.logCount("[Tessane] Quit workspace apps: Write — cancelled"), 1u);
    EXPECT_NE(s.probe().session(ws.id), nullptr);

    s.sim.alerts.answer(0, true);  // Quit Apps, don't ask again
    s.controller().closeWorkspaceApps(ws.id);
    EXPECT_EQ(s.logCount("[Tessane] Quit workspace apps: Write (2)"), 1u);
    EXPECT_EQ(s.probe().session(ws.id), nullptr);
    EXPECT_EQ(s.sim.defaults.boolValue(ControllerDefaultsKeys::kSuppressQuitAppsConfirm), true);
    s.drain();
    EXPECT_FALSE(s.sim.applications.runningApplication(notes).has_value());
    EXPECT_FALSE(s.sim.applications.runningApplication(mail).has_value());
    EXPECT_EQ(s.workspace(ws.id).apps.size(), 2u);  // the workspace stays
}

TEST_F(LayoutCommands, QuitAppsWithEveryAppClosedOnlyTakesTheChromeDownWithoutAsking) {
    s.quitApp("Notes");
    s.quitApp("Mail");
    s.drain();
    s.clearLog();
    s.controller().closeWorkspaceApps(ws.id);
    EXPECT_TRUE(s.sim.alerts.shown().empty());
    EXPECT_EQ(s.logCount("[Tessane] Quit workspace apps"), 0u);
    EXPECT_EQ(s.probe().session(ws.id), nullptr);
}

}  // namespace
}  // namespace tessane::testing
