#include "support/ShownWorkspace.h"

#include "controller/DisplaySet.h"
#include "controller/WorkspaceRules.h"
#include "platform/Accessibility.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

class EventWiring : public ShownWorkspace {
protected:
    // The user moves a tracked window; the observer reports it on the next turn.
    void userMoves(const std::string& app) {
        s.window(app).moveTo({s.window(app).position().x + 40, 200});
        s.advance(0.15);  // past the Stage Manager re-check interval, before the enforcement
    }
    // Each change the user-change handling takes up begins a window drag (ended by the check
    // 0.2 s later), which hides the click shields.
    size_t userChanges() const { return s.chrome(ws.id).count("setShieldsHidden(true)"); }
    size_t driftChecks() { return s.probe().drift().checksQueued(); }
};

TEST_F(EventWiring, AMoveOfATiledWindowGoesToTheUserChangeHandling) {
    userMoves("Notes");
    EXPECT_EQ(userChanges(), 1u);
    EXPECT_EQ(driftChecks(), 0u);
}

TEST_F(EventWiring, MovesAreDroppedDuringADividerDragDisplayFluxAndStageManager) {
    s.probe().setDraggingDivider(true);
    userMoves("Notes");
    s.probe().setDraggingDivider(false);

    s.probe().setTopologyFluxUntil(s.sim.mainQueue.now() + 4);
    userMoves("Mail");
    s.probe().setTopologyFluxUntil(WorkspaceController::kDistantPast);

    s.setStageManager(true);
    userMoves("Notes");
    EXPECT_TRUE(s.probe().stageManagerActive());

    EXPECT_EQ(userChanges(), 0u);
    EXPECT_EQ(driftChecks(), 0u);
}

TEST_F(EventWiring, AClosedWindowIsHandledWhateverElseHolds) {
    s.probe().setDraggingDivider(true);
    s.probe().setTopologyFluxUntil(s.sim.mainQueue.now() + 4);
    s.setStageManager(true);
    s.advance(0.2);
    s.window("Notes").close();
    s.advance(0.2);
    EXPECT_EQ(s.logCount("A tiled window was closed — its pane is free again."), 1u);
    ASSERT_EQ(s.probe().session(ws.id)->elements.size(), 1u);
    EXPECT_EQ(s.probe().session(ws.id)->elements[0].appID, ws.apps[1].id);
}

TEST_F(EventWiring, DuringOurOwnPlacementAMoveQueuesADriftCheckOnly) {
    s.probe().setPlacementGuardCount(1);
    userMoves("Mail");
    EXPECT_EQ(driftChecks(), 1u);
    // Handed on, but the user-change handling itself stands down while the guard is up.
    EXPECT_EQ(userChanges(), 0u);
}

TEST_F(EventWiring, AMoveOfAnAppInNoShownWorkspaceOrOfAQuitProcessDoesNothing) {
    const AXElement music = s.window("Music").element();
    s.probe().handleWindowEvent(music, ax::kWindowMoved);
    const AXElement notes = s.window("Notes").element();
    s.sim.applications.quit(s.pid("Notes"));
    s.advance(0.2);
    s.clearLog();
    s.probe().handleWindowEvent(notes, ax::kWindowMoved);
    EXPECT_EQ(userChanges(), 0u);
}

TEST_F(EventWiring, ScreenParametersStartFluxOnlyWhenTheDisplaySetChanged) {
    const auto start = s.sim.mainQueue.now();
    s.sim.screens.notify(Screens::Notification::screenParametersChanged);
    EXPECT_LT(s.probe().topologyFluxUntil(), start);

    // Music's window goes to the display being attached, clear of the container, so the guard that
    // runs once the displays have settled leaves the chrome up.
    s.window("Music").moveTo({1600, 100});
    s.setDisplays({ControllerScenario::display({0, 0, 1440, 900}, 1),
                   ControllerScenario::display({1440, 0, 1920, 1080}, 2)});
    // A move heard before the displays' notification is not the user's either.
    userMoves("Notes");
    EXPECT_EQ(userChanges(), 0u);
    const auto fluxUntil = s.probe().topologyFluxUntil();
    EXPECT_GE(fluxUntil, start + 4);
    s.sim.screens.notify(Screens::Notification::screenParametersChanged);
    EXPECT_DOUBLE_EQ(s.probe().topologyFluxUntil(), fluxUntil);
    s.advance(4);
    EXPECT_EQ(s.logCount("[Tessane] Display set settled:"), 1u);
    EXPECT_LT(s.probe().topologyFluxUntil(), s.sim.mainQueue.now());  // let through again once handled
    EXPECT_TRUE(s.chrome(ws.id).isVisible);
    userMoves("Notes");
    EXPECT_EQ(userChanges(), 1u);
}

// A new scale is the displays' doing from the first look after it, whatever read the displays
// between the toolkit's taking it and its notification (a home looked up meanwhile).
TEST_F(EventWiring, ANewScaleIsTheDisplaysDoingThoughTheDisplaysWereReadBeforeItsNotification) {
    DisplaySet displays(s.sim.screens, s.sim.mainQueue, nullptr, [] { return std::optional<Rect>(); });
    displays.currentTopology();
    EXPECT_FALSE(displays.inFlux());
    s.setDisplays({ControllerScenario::display({0, 0, 720, 450}, 1)});
    displays.forgetTopology();
    displays.currentTopology();
    EXPECT_TRUE(displays.inFlux());
}

TEST_F(EventWiring, WakeRechecksOnlyWhileSomethingIsShown) {
    s.sim.windowList.setReadable(false);  // the guard finds nothing to act on
    s.sim.screens.notify(Screens::Notification::didWake);
    s.sim.screens.notify(Screens::Notification::screensDidWake);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Woke — re-checking whether any chrome is drawn over a foreign window.",
                              "[Tessane] Woke — re-checking whether any chrome is drawn over a foreign window."}));
    EXPECT_TRUE(s.probe().guardTimerRunning());

    s.probe().dropSession(ws.id);
    s.advance(2);
    s.clearLog();
    s.sim.screens.notify(Screens::Notification::didWake);
    EXPECT_TRUE(s.log().empty());
    EXPECT_FALSE(s.probe().guardTimerRunning());
}

TEST_F(EventWiring, ASpaceChangeStartsTheFullscreenReconcile) {
    s.sim.screens.notify(Screens::Notification::activeSpaceDidChange);
    EXPECT_TRUE(s.probe().fullScreenPulseRunning());
}

TEST_F(EventWiring, OnlyAnEditOfThePanesOrTheLayoutTypeReachesThePaneEditReaction) {
    auto edited = s.workspace(ws.id);
    edited.name = "Renamed";
    edited.lastContainerFrame = RectModel{10, 10, 900, 600};
    s.manager->update(edited);
    s.drain();
    const char* retile = "[Tessane] “Renamed” panes edited while shown — re-tiling.";
    EXPECT_EQ(s.logCount(retile), 0u);

    s.manager->moveApp(edited.apps[1].id, ws.id, -1);
    s.drain();
    EXPECT_EQ(s.logCount(retile), 1u);

    s.manager->setLayoutType(LayoutType::topBottomSplit, ws.id);
    s.drain();
    EXPECT_EQ(s.logCount(retile), 2u);
    EXPECT_EQ(s.probe().tiledSignature().at(ws.id), workspace_rules::signature(s.workspace(ws.id)));

    // The signature of a workspace that is no longer shown is dropped with the next edit.
    s.probe().dropSession(ws.id);
    s.manager->renameWorkspace(ws.id, "Again");
    s.drain();
    EXPECT_TRUE(s.probe().tiledSignature().empty());
}

TEST_F(EventWiring, AFocusChangeRestartsTheSweepOnlyWithAnEmptyPane) {
    s.app("Notes").addWindow();  // focus moves inside Notes; every pane still has its window
    s.advance(0.1);
    EXPECT_FALSE(s.probe().reconcileSweepQueued());
    EXPECT_TRUE(s.probe().guardTimerRunning());

    // Mail's only window goes: the next focus change finds its pane empty and restarts the
    // sweep from its first pass, cancelling the one queued.
    auto queued = s.sim.mainQueue.postAfter(5, [] {});
    s.probe().queueReconcileSweep(queued);
    s.window("Mail").close();
    s.advance(0.1);
    s.app("Notes").addWindow();
    s.drain();
    EXPECT_TRUE(queued->isCancelled());
    EXPECT_EQ(s.probe().reconcileSweepAttempts(), 1);
    EXPECT_TRUE(s.probe().reconcileSweepQueued());
}

TEST_F(EventWiring, TheDisplayFingerprintIsCachedUntilTheScreensChange) {
    const auto first = s.probe().currentTopology();
    s.setDisplays({ControllerScenario::display({0, 0, 1920, 1080}, 7)});
    EXPECT_EQ(s.probe().currentTopology(), first);
    s.sim.screens.notify(Screens::Notification::screenParametersChanged);
    EXPECT_NE(s.probe().currentTopology(), first);
}

}  // namespace
}  // namespace tessane::testing
