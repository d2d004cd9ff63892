#include "support/ControllerScenario.h"

#include "controller/WorkspaceRules.h"
#include "platform/Accessibility.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

// Closed and late windows: the pane a closed window frees, the sweep that fills empty panes.
class Reconcile : public ::testing::Test {
protected:
    // Shows "Write" with the given apps (already launched) in a layout for their count.
    Workspace show(std::initializer_list<std::string> apps, LayoutType type = LayoutType::leftRightSplit) {
        ws = s.addWorkspace("Write", apps, type);
        s.start();
        s.putUp(ws);
        s.sim.windowList.setReadable(false);  // the foreground guard stays out of these stories
        s.drain();
        s.clearLog();
        return ws;
    }
    std::vector<Rect> tiles() { return s.probe().tileRects(s.workspace(ws.id)); }
    std::vector<Uuid> trackedApps() {
        std::vector<Uuid> out;
        for (const auto& t : s.probe().session(ws.id)->elements) out.push_back(t.appID);
        return out;
    }

    ControllerScenario s;
    Workspace ws;
};

TEST_F(Reconcile, ClosingOneOfTwoWindowsOfAnAppInTwoPanesFreesExactlyItsPaneAndTheSpareMovesIn) {
    s.launchApp("Notes", {.windows = 3});
    show({"Notes", "Notes"});
    const auto& tracked = s.probe().session(ws.id)->elements;
    ASSERT_EQ(tracked.size(), 2u);
    const AXElement second = tracked[1].element;
    sim::SimWindow& spare = *s.sim.windowServer.window(s.window("Notes", 2).element());
    ASSERT_NE(spare.element(), tracked[0].element);
    ASSERT_NE(spare.element(), second);

    s.sim.windowServer.window(second)->close();
    s.advance(0.1);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] A tiled window was closed — its pane is free again.",
                              "[Tessane] Notes: adopted a window into pane 2 of ‘Write’."}));
    EXPECT_EQ(trackedApps(), (std::vector<Uuid>{ws.apps[0].id, ws.apps[1].id}));
    EXPECT_EQ(s.probe().session(ws.id)->elements[1].element, spare.element());
    EXPECT_EQ(spare.frame(), tiles()[1]);
}

TEST_F(Reconcile, ClosingTheLastWindowOfARunningAppLeavesThePaneEmptyAndTheWorkspaceLoading) {
    s.launchApp("Notes");
    s.launchApp("Mail");
    show({"Notes", "Mail"});
    s.window("Mail").close();
    s.advance(0.1);
    EXPECT_EQ(trackedApps(), (std::vector<Uuid>{ws.apps[0].id}));
    EXPECT_TRUE(s.probe().loadingWorkspaces().count(ws.id));
    EXPECT_FALSE(s.probe().cachedWindow(ws.apps[1].id, s.pid("Mail")));

    // Mail opens a window again: adopted, every window re-placed quietly, the notice closed.
    const int closes = s.notice->closes;
    s.app("Mail").addWindow({.frame = {500, 500, 300, 300}});
    s.advance(0.1);
    EXPECT_EQ(trackedApps(), (std::vector<Uuid>{ws.apps[0].id, ws.apps[1].id}));
    EXPECT_FALSE(s.probe().loadingWorkspaces().count(ws.id));
    EXPECT_EQ(s.window("Mail").frame(), tiles()[1]);
    EXPECT_EQ(s.window("Notes").frame(), tiles()[0]);
    EXPECT_GT(s.notice->closes, closes);
}

TEST_F(Reconcile, AClosedWindowStillFreesItsPaneDuringADividerDragButNothingIsAdopted) {
    s.launchApp("Notes", {.windows = 2});
    s.launchApp("Mail");
    show({"Notes", "Mail"});
    s.probe().setDraggingDivider(true);
    s.window("Notes").close();
    s.advance(0.5);
    EXPECT_EQ(trackedApps(), (std::vector<Uuid>{ws.apps[1].id}));
    EXPECT_EQ(s.logCount("adopted"), 0u);
}

TEST_F(Reconcile, AWindowThatOnlyAnswersTooSlowlyIsNotTakenForAClosedOne) {
    s.launchApp("Notes");
    s.launchApp("Mail");
    show({"Notes", "Mail"});
    s.app("Notes").setResponseDelay(8);  // past the messaging time-out
    s.probe().handleWindowEvent(s.window("Notes").element(), ax::kUIElementDestroyed);
    s.drain();
    EXPECT_EQ(trackedApps(), (std::vector<Uuid>{ws.apps[0].id, ws.apps[1].id}));
    EXPECT_TRUE(s.log().empty());
}

TEST_F(Reconcile, AClosedWindowTakesItsDriftBookkeepingWithIt) {
    s.launchApp("Notes");
    s.launchApp("Mail");
    show({"Notes", "Mail"});
    const AXElement notes = s.window("Notes").element();
    auto& drift = s.probe().drift();
    const TimeInterval now = s.sim.mainQueue.now();
    drift.queueCheck(notes);
    drift.judge(notes, now);
    drift.judge(notes, now);
    ASSERT_EQ(drift.judge(notes, now), DriftMemory::Verdict::giveUp);
    s.window("Notes").close();
    s.advance(0.1);
    EXPECT_EQ(drift.checksQueued(), 0u);
    EXPECT_EQ(drift.judge(notes, now), DriftMemory::Verdict::putBack);  // neither its count nor its giving up kept
}

TEST_F(Reconcile, AWindowAppearingAfter1300msIsAdoptedWhileTheSweepRuns) {
    s.launchApp("Notes");
    s.launchApp("Mail", {.windows = 0});
    show({"Notes", "Mail"});
    s.app("Mail").addWindowAfter(1.3, {.frame = {700, 400, 500, 400}, .becomesMain = false});
    s.probe().runReconcileSweep();
    s.advance(1.25);
    EXPECT_EQ(s.logCount("adopted"), 0u);
    EXPECT_TRUE(s.probe().reconcileSweepQueued());
    s.advance(0.15);  // its creation report or, at the latest, the pass at 1.4 s
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Mail: adopted a window into pane 2 of ‘Write’."}));
    EXPECT_EQ(s.window("Mail").frame(), tiles()[1]);
    EXPECT_FALSE(s.probe().reconcileSweepQueued());  // nothing empty: the sweep ends
    EXPECT_TRUE(s.probe().tidiedChoosers().empty());
}

TEST_F(Reconcile, AChooserInFrontOfTheAppIsMovedOverItsPaneOnce) {
    s.launchApp("Notes");
    s.launchApp("Mail", {.windows = 0});
    show({"Notes", "Mail"});
    sim::SimWindow& panel = s.app("Mail").addOpenPanel();
    s.probe().runReconcileSweep();
    EXPECT_EQ(panel.position(), tiles()[1].origin);
    EXPECT_TRUE(s.probe().tidiedChoosers().count(s.pid("Mail")));
    EXPECT_TRUE(s.probe().ownChooserWindowIDs().at(ws.id).count(panel.number()));

    panel.moveTo({900, 500});  // the user puts it elsewhere: later passes leave it there
    s.advance(1);
    EXPECT_EQ(panel.position(), Point(900, 500));
    EXPECT_EQ(trackedApps(), (std::vector<Uuid>{ws.apps[0].id}));
}

TEST_F(Reconcile, AFullscreenWindowIsTrackedButNotPlaced) {
    s.launchApp("Notes");
    s.launchApp("Mail", {.windows = 0});
    show({"Notes", "Mail"});
    s.app("Mail").addWindow({.frame = {0, 0, 1440, 900}, .fullScreen = true});
    s.probe().runReconcileSweep();
    EXPECT_EQ(s.logCount("[Tessane] Mail: adopted a window into pane 2 of ‘Write’ (fullscreen — tracked, not placed)."),
              1u);
    EXPECT_EQ(s.window("Mail").frame(), Rect(0, 0, 1440, 900));
}

TEST_F(Reconcile, AWindowThatRefusesItsPaneIsReportedOncePerFrame) {
    s.launchApp("Notes");
    s.launchApp("Mail", {.windows = 0});
    show({"Notes", "Mail"});
    s.app("Mail").addWindow({.frame = {700, 300, 500, 400}}).refuseMoves().refuseSizes();
    s.probe().runReconcileSweep();
    EXPECT_EQ(s.logCount("[Tessane] Mail refused its pane: asked " + workspace_rules::rectDescription(tiles()[1]) +
                         ", window is x=700 y=300 w=500 h=400. [id=— subrole=AXStandardWindow]"),
              1u);
}

TEST_F(Reconcile, AfterTenPassesTheEmptyPanesAreDescribedOnceAndTheSweepStops) {
    s.launchApp("Notes");
    s.launchApp("Mail", {.windows = 0});
    s.installApp("Photos");
    s.app("Mail").addWindow({.frame = {700, 300, 40, 30}});  // too small to tile
    show({"Notes", "Mail", "Photos"}, LayoutType::threeLeftOneRightTwo);
    s.probe().runReconcileSweep();
    s.advance(1.7);
    EXPECT_EQ(s.logCount("Sweep ended"), 0u);
    s.advance(0.2);  // the tenth pass, 1.8 s after the first
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Sweep ended — ‘Write’ pane 2 (Mail) still empty; 1 window(s): "
                              "[AXWindow/AXStandardWindow 40×30 id=nil minimized=false manageable=false free]",
                              "[Tessane] Sweep ended — ‘Write’ pane 3 (Photos): not running."}));
    EXPECT_EQ(s.probe().reconcileSweepAttempts(), 10);
    s.advance(5);
    EXPECT_EQ(s.logCount("Sweep ended"), 2u);
}

TEST_F(Reconcile, AnAppInTwoShownWorkspacesIsOnlyAdoptedIntoTheFirstOwner) {
    s.launchApp("Notes");
    s.launchApp("Mail", {.windows = 0});
    s.launchApp("Music");
    show({"Notes", "Mail"});
    const auto other = s.addWorkspace("Listen", {"Music", "Mail"});
    s.putUp(other);
    s.app("Mail").addWindow();
    s.advance(0.1);
    EXPECT_EQ(s.logCount("[Tessane] Mail: adopted a window into pane 2 of ‘Write’."), 1u);
    EXPECT_EQ(s.logCount("adopted"), 1u);
    EXPECT_EQ(s.probe().session(other.id)->elements.size(), 1u);
}

TEST_F(Reconcile, TheSoloedWorkspaceAndStageManagerAdoptNothing) {
    s.launchApp("Notes");
    s.launchApp("Mail", {.windows = 0});
    show({"Notes", "Mail"});
    s.probe().solo().begin(ws.id, ws.apps[0].id);
    s.app("Mail").addWindow();
    s.advance(0.1);
    EXPECT_EQ(s.logCount("adopted"), 0u);

    s.probe().solo().end();
    s.setStageManager(true);
    s.advance(0.2);
    s.probe().runReconcileSweep();
    EXPECT_EQ(s.logCount("adopted"), 0u);
}

}  // namespace
}  // namespace tessane::testing
