#include "support/ControllerScenario.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;


class StageManagerWatches : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto name : {"Notes", "Mail", "Music", "Photos", "Maps", "Books"}) s.launchApp(name);
        a = s.addWorkspace("A", {"Notes", "Mail"});
        b = s.addWorkspace("B", {"Music", "Photos"});
        c = s.addWorkspace("C", {"Maps", "Books"});
        s.start();
    }

    ControllerScenario s;
    Workspace a, b, c;
};

TEST_F(StageManagerWatches, OneWatcherAndOneMonitorWhileAnythingIsShownNoneAfterwards) {
    s.putUp(a);
    const auto* watcher = s.probe().stageManagerWatcher();
    s.putUp(b);
    s.putUp(c);
    EXPECT_EQ(s.probe().stageManagerWatcher(), watcher);
    EXPECT_EQ(s.input.added(), 1);
    EXPECT_EQ(s.input.liveMonitors(GlobalInput::kLeftMouseUp | GlobalInput::kRightMouseUp | GlobalInput::kMouseMoved),
              1u);

    s.probe().dropSession(a.id);
    s.probe().dropSession(b.id);
    EXPECT_TRUE(s.probe().hasStageManagerWatcher());
    EXPECT_EQ(s.input.liveMonitors(), 1u);

    s.probe().dropSession(c.id);
    EXPECT_FALSE(s.probe().hasStageManagerWatcher());
    EXPECT_EQ(s.input.liveMonitors(), 0u);

    s.putUp(a);  // and back again
    EXPECT_TRUE(s.probe().hasStageManagerWatcher());
    EXPECT_EQ(s.input.liveMonitors(), 1u);
}

TEST_F(StageManagerWatches, ARefusedMonitorIsTriedAgainWithTheNextSession) {
    s.input.refuseMonitors = true;
    s.putUp(a);
    EXPECT_FALSE(s.probe().hasStageManagerPointerMonitor());
    EXPECT_TRUE(s.probe().hasStageManagerWatcher());
    s.input.refuseMonitors = false;
    s.putUp(b);
    EXPECT_TRUE(s.probe().hasStageManagerPointerMonitor());
}

TEST_F(StageManagerWatches, TurningItOnTakesEveryChromeAsideOnceAndClosesTheTips) {
    s.putUp(a);
    s.putUp(b);
    s.tips->hasPanel = true;
    s.clearLog();

    s.setStageManager(true);
    s.advance(0.5);
    s.setStageManager(true);  // written again, unchanged
    s.advance(0.5);

    EXPECT_EQ(s.log(),
              (Lines{"[Tessane] Stage Manager enabled — hid chrome for 2 shown workspace(s) (no bleed onto its desktop)."}));
    EXPECT_FALSE(s.chrome(a.id).isVisible);
    EXPECT_FALSE(s.chrome(b.id).isVisible);
    EXPECT_EQ(s.tips->closes, 1);
    EXPECT_EQ(s.probe().sessionCount(), 2u);  // the workspaces stay shown
}

TEST_F(StageManagerWatches, TheFileChangeIsReadAtOnceEvenRightAfterARead) {
    s.putUp(a);
    s.input.send(GlobalInput::kMouseMoved);  // a rate-limited read just now
    const auto readAt = s.probe().lastStageManagerCheck();
    s.setStageManager(true);
    s.drain();
    EXPECT_TRUE(s.probe().stageManagerActive());
    EXPECT_GE(s.probe().lastStageManagerCheck(), readAt);
    EXPECT_EQ(s.logCount("Stage Manager enabled"), 1u);
}

TEST_F(StageManagerWatches, PointerEventsReadTheStateAtMostEvery100ms) {
    s.putUp(a);
    s.advance(1);
    const int reads = s.sim.preferences.readCount();
    s.input.send(GlobalInput::kMouseMoved);
    s.input.send(GlobalInput::kLeftMouseUp);
    s.advance(0.09);
    s.input.send(GlobalInput::kMouseMoved);  // within 0.1 s: not read again
    EXPECT_EQ(s.sim.preferences.readCount(), reads + 1);
    s.advance(0.02);
    s.input.send(GlobalInput::kRightMouseUp);
    EXPECT_EQ(s.sim.preferences.readCount(), reads + 2);
}

TEST_F(StageManagerWatches, TurningItOffRetilesEveryShownWorkspaceButBringsBackOnlyTheFrontChrome) {
    s.putUp(a);
    s.putUp(b);
    s.putUp(c);  // front
    s.setStageManager(true);
    s.advance(0.5);
    s.clearLog();

    s.setStageManager(false);
    s.advance(0.5);

    EXPECT_EQ(s.log(), (Lines{"[Tessane] Stage Manager disabled — re-tiled 3 shown workspace(s); chrome restored for "
                              "the front one."}));
    for (const auto& ws : {a, b, c}) {  // every shown workspace's windows are back in their panes
        const auto tiles = s.probe().tileRects(ws);
        ASSERT_EQ(tiles.size(), 2u);
        EXPECT_EQ(s.window(ws.apps[0].displayName).frame(), tiles[0]);
        EXPECT_EQ(s.window(ws.apps[1].displayName).frame(), tiles[1]);
    }
    EXPECT_TRUE(s.chrome(c.id).isVisible);
    EXPECT_FALSE(s.chrome(a.id).isVisible);
    EXPECT_FALSE(s.chrome(b.id).isVisible);
    EXPECT_TRUE(s.probe().guardTimerRunning());
}

TEST_F(StageManagerWatches, OffSkipsAWorkspaceWithAFullscreenAppAndEndsASoloInsteadOfTiling) {
    s.putUp(a);
    s.putUp(b);  // front
    s.probe().session(a.id)->fullScreenPids.insert(s.pid("Notes"));
    s.probe().solo().begin(b.id, b.apps[0].id);
    s.sim.windowList.setReadable(false);  // the guard finds nothing to act on
    s.setStageManager(true);
    s.advance(0.5);
    EXPECT_TRUE(s.probe().solo().current().has_value());  // on keeps the solo
    s.clearLog();

    s.setStageManager(false);
    s.advance(0.5);

    // The fullscreen one was not tiled; the soloed one was re-tiled by the end of its solo.
    for (auto name : {"Notes", "Mail"}) EXPECT_EQ(s.window(name).frame(), Rect(100, 100, 800, 600));
    const auto tiles = s.probe().tileRects(b);
    EXPECT_EQ(s.window(b.apps[0].displayName).frame(), tiles[0]);
    EXPECT_EQ(s.window(b.apps[1].displayName).frame(), tiles[1]);
    EXPECT_FALSE(s.probe().solo().current().has_value());
    EXPECT_EQ(s.logCount("[Tessane] Solo: restored split for workspace " + b.id.string() + "."), 1u);
    EXPECT_EQ(s.logCount("re-tiled 2 shown workspace(s)"), 1u);  // the skipped one counts
    EXPECT_FALSE(s.chrome(a.id).isVisible);
    EXPECT_TRUE(s.chrome(b.id).isVisible);
}

TEST_F(StageManagerWatches, TheMenusReadUpdatesAtOnceAndTransitionsOnTheNextTurn) {
    // Nothing shown: the transition still runs, counting no workspace.
    s.sim.preferences.set("com.apple.WindowManager", "GloballyEnabled", true);
    EXPECT_TRUE(s.controller().refreshStageManagerState(true));
    EXPECT_TRUE(s.probe().stageManagerActive());
    EXPECT_TRUE(s.log().empty());
    s.drain();
    EXPECT_EQ(s.log(),
              (Lines{"[Tessane] Stage Manager enabled — hid chrome for 0 shown workspace(s) (no bleed onto its desktop)."}));
    // Read again with the same answer: nothing more.
    EXPECT_TRUE(s.controller().refreshStageManagerState(true));
    s.drain();
    EXPECT_EQ(s.logCount("Stage Manager"), 1u);

    s.sim.preferences.set("com.apple.WindowManager", "GloballyEnabled", false);
    EXPECT_FALSE(s.controller().refreshStageManagerState(true));
    s.drain();
    EXPECT_EQ(s.logCount("Stage Manager disabled — re-tiled 0 shown workspace(s)"), 1u);
    EXPECT_TRUE(s.probe().guardTimerRunning());
}

}  // namespace
}  // namespace tessane::testing
