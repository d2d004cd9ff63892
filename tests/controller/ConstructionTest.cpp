#include "support/ShownWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tessane::testing {
namespace {

TEST(ControllerConstruction, ShowsNothingWritesNothingAndLogsNothing) {
    ControllerScenario s;
    s.launchApp("Notes");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    const auto file = s.manager->store().fileURL();
    const auto written = std::filesystem::last_write_time(file);
    s.clearLog();

    s.start();
    s.advance(60);

    EXPECT_EQ(s.probe().sessionCount(), 0u);
    EXPECT_TRUE(s.shownNames().empty());
    EXPECT_TRUE(s.chromes.empty());
    EXPECT_TRUE(s.log().empty());
    EXPECT_EQ(std::filesystem::last_write_time(file), written);
    EXPECT_FALSE(s.manager->activeWorkspaceID().get().has_value());
    // Nothing is watched while nothing is shown.
    EXPECT_FALSE(s.probe().hasStageManagerWatcher());
    EXPECT_EQ(s.input.liveMonitors(), 0u);
    EXPECT_FALSE(s.probe().guardTimerRunning());
    // The display fingerprint was taken once and is cached.
    EXPECT_TRUE(s.probe().cachedTopologyValid());
    EXPECT_TRUE(s.probe().cachedTopology().has_value());
    EXPECT_FALSE(s.probe().stageManagerActive());
}

TEST(ControllerConstruction, StageManagerOnAtStartIsReadWithoutATransition) {
    ControllerScenario s;
    s.setStageManager(true);
    s.start();
    s.drain();
    EXPECT_TRUE(s.probe().stageManagerActive());
    EXPECT_TRUE(s.log().empty());
}

using ControllerDestruction = ShownWorkspace;

TEST_F(ControllerDestruction, RemovesItsMonitorsAndStopsItsTimersAndWatches) {
    s.probe().pulseChromeGuard();
    auto sweep = s.sim.mainQueue.postAfter(0.2, [] {});
    s.probe().queueReconcileSweep(sweep);
    s.probe().scheduleUnhideSettle({"org.example.Mail"}, 0);
    ASSERT_EQ(s.input.liveMonitors(), 1u);
    ASSERT_TRUE(s.probe().guardTimerRunning());
    const auto* watcher = s.probe().stageManagerWatcher();
    ASSERT_NE(watcher, nullptr);
    ASSERT_TRUE(watcher->isArmed());

    s.stop();

    EXPECT_EQ(s.input.liveMonitors(), 0u);
    EXPECT_TRUE(sweep->isCancelled());
    EXPECT_EQ(s.sim.mainQueue.pendingCount(), 0u);
    EXPECT_TRUE(s.chromes.front()->destroyed);
}

TEST_F(ControllerDestruction, EventsArrivingAfterwardsDoNothing) {
    // Events already on their way when the controller goes: a window moved, an edit of the
    // list, an activation, a quit, a focus change.
    s.window("Notes").moveTo({300, 300});
    auto edited = s.workspace(ws.id);
    edited.name = "Renamed";
    s.manager->update(edited);
    s.sim.applications.activate(s.pid("Mail"));
    s.sim.applications.quit(s.pid("Notes"));
    s.window("Mail").raise();
    s.stop();
    s.clearLog();

    s.advance(5);
    s.setStageManager(true);
    s.advance(1);
    s.sim.screens.notify(Screens::Notification::didWake);
    s.input.send(GlobalInput::kMouseMoved);

    EXPECT_TRUE(s.log().empty());
}

}  // namespace
}  // namespace tessane::testing
