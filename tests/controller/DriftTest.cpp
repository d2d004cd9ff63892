#include "support/ShownWorkspace.h"

#include "controller/GlobalInput.h"
#include "controller/WorkspaceRules.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

TEST(DriftAllowance, FewerThanTwoCorrectionsInTheLastTenSecondsAllowAnother) {
    struct Case {
        std::vector<TimeInterval> previous;
        TimeInterval now;
        bool allowed;
    };
    const Case cases[] = {
        {{}, 100, true},
        {{95}, 100, true},
        {{95, 99}, 100, false},
        {{90, 99}, 100, true},        // exactly 10 s ago no longer counts
        {{90.01, 99}, 100, false},
        {{80, 85, 99}, 100, true},    // old ones never count
        {{105, 106}, 100, false},     // a date after now counts as recent
    };
    for (const auto& c : cases) EXPECT_EQ(DriftMemory::mayCorrect(c.previous, c.now), c.allowed);
}

// Notes and Mail tiled; the guard is kept out of these stories.
class Drift : public ShownWorkspace {
protected:
    void SetUp() override {
        ShownWorkspace::SetUp();
        s.sim.windowList.setReadable(false);
        s.probe().placeWindows(ws, true);
        s.advance(2);  // past the placement's guard and its checks
        s.clearLog();
    }
    Rect tile(size_t i) { return s.probe().tileRects(ws)[i]; }
    size_t corrections() { return s.logCount("— putting it back."); }
};

TEST_F(Drift, AWindowWithin24PointsOfItsPaneIsLeftAloneAndOne25PointsOffIsPutBack) {
    auto& mail = s.window("Mail");
    mail.setFrame({tile(1).minX() + 24, tile(1).minY() - 24, 300, 200});
    s.probe().checkDrift(mail.element(), ws.id);
    EXPECT_TRUE(s.log().empty());

    mail.setFrame({tile(1).minX() + 25, tile(1).minY(), 300, 200});
    const Rect off = mail.frame();
    s.probe().checkDrift(mail.element(), ws.id);
    EXPECT_EQ(s.log(),
              (Lines{"[Tessane] Mail's window left its pane in ‘Write’ — now " + workspace_rules::rectLog(off) +
                     " on display 1, pane " + workspace_rules::rectLog(tile(1)) + " on display 1 — putting it back."}));
    EXPECT_EQ(mail.frame(), tile(1));
}

TEST_F(Drift, AWindowDriftingBackThreeTimesIsCorrectedTwiceThenLeftWithOneNotice) {
    auto& mail = s.window("Mail");
    mail.setFrame({900, 500, 500, 300});
    mail.driftBack(0.2);  // it restores its own frame 0.2 s after each of our writes
    s.probe().placeWindows(ws, true);
    s.advance(5);

    EXPECT_EQ(corrections(), 2u);
    EXPECT_EQ(s.logCount("[Tessane] Mail keeps moving its own window out of ‘Write’ — stopped putting it back."), 1u);
    ASSERT_EQ(s.notice->shown.size(), 1u);
    const auto& card = s.notice->shown[0];
    EXPECT_EQ(card.title, "Mail keeps moving its window");
    EXPECT_EQ(card.message, "Mail moves its own window out of the workspace after Tessane places it, so Tessane "
                            "stopped pulling it back. Drag it into its pane, or show the workspace again.");
    EXPECT_FALSE(card.actionTitle);
    EXPECT_EQ(card.dismissAfter, 8.0);
    EXPECT_EQ(card.nearContainerCocoaRect, s.chrome(ws.id).containerCocoaRect);
    EXPECT_NE(mail.frame(), tile(1));

    // Given up: a later drift of that window does nothing at all.
    s.probe().placeWindows(ws, true);
    s.advance(5);
    EXPECT_EQ(corrections(), 2u);
    EXPECT_EQ(s.logCount("stopped putting it back"), 1u);
    EXPECT_EQ(s.notice->shown.size(), 1u);
}

TEST_F(Drift, DriftsMoreThanTenSecondsApartAreCorrectedEveryTime) {
    auto& notes = s.window("Notes");
    for (int i = 0; i < 4; ++i) {
        notes.moveTo({600, 400});
        s.probe().checkDrift(notes.element(), ws.id);
        EXPECT_EQ(notes.frame(), tile(0));
        s.advance(10.5);
    }
    EXPECT_EQ(corrections(), 4u);
    EXPECT_EQ(s.logCount("stopped putting it back"), 0u);
}

TEST_F(Drift, ManyMoveReportsWithinTheGuardGiveOneCheck) {
    auto& notes = s.window("Notes");
    s.probe().setPlacementGuardCount(1);
    for (int i = 0; i < 5; ++i) {
        notes.moveTo({600.0 + i, 400});
        s.advance(0.05);
    }
    EXPECT_EQ(s.probe().drift().checksQueued(), 1u);
    s.advance(0.7);  // the check comes while another placement's guard holds: it looks again later
    EXPECT_EQ(s.probe().drift().checksQueued(), 1u);
    s.probe().setPlacementGuardCount(0);
    // The user holds the window by its title bar: theirs, until they let go.
    s.input.buttonDown = true;
    s.advance(1.3);
    EXPECT_EQ(corrections(), 0u);
    s.input.buttonDown = false;
    s.advance(0.6);
    EXPECT_EQ(corrections(), 1u);
    EXPECT_EQ(notes.frame(), tile(0));

    // Carried over Mail's pane: a check that finds the button up before the release is heard
    // leaves the window to the drop, which swaps the panes.
    s.advance(2);  // past the correction's own guard
    s.input.buttonDown = true;
    s.input.pointer = {tile(1).midX(), 900 - tile(1).midY()};
    notes.moveTo({tile(1).minX() + 30, tile(1).minY() + 20});
    s.advance(0.05);
    s.input.buttonDown = false;
    s.probe().checkDrift(notes.element(), ws.id);
    s.input.send(GlobalInput::kLeftMouseUp);
    s.advance(1);
    EXPECT_EQ(s.logCount("[Tessane] Swapped panes in “Write”: Notes ⇄ Mail."), 1u);
    EXPECT_EQ(corrections(), 1u);
}

TEST_F(Drift, NothingIsCorrectedWhileSoloedDraggingResurfacingUnderStageManagerInFullscreenOrMinimized) {
    auto& notes = s.window("Notes");
    notes.moveTo({600, 400});
    const auto check = [&] { s.probe().checkDrift(notes.element(), ws.id); };

    s.probe().solo().begin(ws.id, ws.apps[0].id);
    check();
    s.probe().solo().end();
    s.probe().setDraggingDivider(true);
    check();
    s.probe().setDraggingDivider(false);
    s.probe().setResurfacing(true);
    check();
    s.probe().setResurfacing(false);
    s.probe().setPlacementGuardCount(1);
    check();
    s.probe().setPlacementGuardCount(0);
    notes.setFullScreen(true);
    check();
    notes.setFullScreen(false);
    notes.setMinimized(true);  // iconified by the window manager, parked off its pane
    check();
    notes.setMinimized(false);
    s.setStageManager(true);
    s.advance(0.2);
    check();

    EXPECT_EQ(corrections(), 0u);
    EXPECT_EQ(notes.position(), Point(600, 400));
}

TEST_F(Drift, TheDeferredCheckDoesNothingOnceTheControllerIsGone) {
    s.probe().setPlacementGuardCount(1);
    s.window("Notes").moveTo({600, 400});
    s.drain();
    ASSERT_EQ(s.probe().drift().checksQueued(), 1u);
    s.stop();
    s.advance(1);  // the queued check finds no controller and does nothing
    EXPECT_EQ(s.window("Notes").position(), Point(600, 400));
}

}  // namespace
}  // namespace tessane::testing
