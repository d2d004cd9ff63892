#include "controller/FrontOfRegion.h"
#include "support/ShownWorkspace.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;
using Front = WorkspaceController::RegionFront;

// A 1000 x 600 region split in two panes with a 6 pt gutter at x 497..503; the rail on its top.
const Rect kRegion{0, 0, 1000, 600};
const std::vector<Rect> kPanes{{3, 3, 494, 594}, {503, 3, 494, 594}};
const Rect kRail{460, 0, 80, 12};
constexpr Pid kOurs = 10, kOther = 20;

WindowListEntry window(uint32_t number, Pid owner, const Rect& bounds, int layer = 0) {
    return {number, owner, owner == kOurs ? "Notes" : "Other", layer, bounds, true};
}

RegionWalk walk(const std::vector<WindowListEntry>& list, std::set<uint32_t> tiled = {1, 2},
                std::set<uint32_t> choosers = {}, std::vector<Rect> panes = kPanes) {
    return frontOfRegionWalk(list, kRegion, {kOurs}, tiled, panes, kRail, choosers);
}

TEST(FrontOfRegion, WindowsInsideOnePaneOrBehindOurOwnNeverCover) {
    const auto ownLeft = window(1, kOurs, kPanes[0]);
    const auto ownRight = window(2, kOurs, kPanes[1]);
    EXPECT_EQ(walk({ownLeft, ownRight}).front, Front::ownInFront);
    // Inside one pane, or within 4 pt of it all round: no chrome is drawn there.
    EXPECT_EQ(walk({window(9, kOther, {100, 100, 200, 200}), ownLeft, ownRight}).front, Front::ownInFront);
    EXPECT_EQ(walk({window(9, kOther, {0, 20, 500, 580}), ownLeft, ownRight}).front, Front::ownInFront);
    // Behind every own front window: never looked at.
    EXPECT_EQ(walk({ownLeft, ownRight, window(9, kOther, {0, 0, 1000, 600})}).front, Front::ownInFront);
    // Other layers, and windows off the region, are skipped.
    EXPECT_EQ(walk({window(9, kOther, {0, 0, 1000, 600}, 3), window(8, kOther, {1200, 0, 300, 300}), ownLeft,
                    ownRight})
                  .front,
              Front::ownInFront);
    // A chooser of our own app over the gutter is ignored.
    EXPECT_EQ(walk({window(5, kOurs, {300, 100, 500, 300}), ownLeft, ownRight}, {1, 2}, {5}).front, Front::ownInFront);
}

TEST(FrontOfRegion, AWindowOverAGutterOrTheRailCoversTheRegion) {
    const auto ownLeft = window(1, kOurs, kPanes[0]);
    const auto ownRight = window(2, kOurs, kPanes[1]);
    EXPECT_EQ(walk({window(9, kOther, {400, 100, 200, 200}), ownLeft, ownRight}),
              (RegionWalk{Front::foreignInFront, "Other 200×200 at 400,100"}));
    // Only the rail: inside a pane otherwise, but the rail is drawn over it.
    EXPECT_EQ(walk({window(9, kOther, {470.5, -40, 20.9, 45}), ownLeft, ownRight}),
              (RegionWalk{Front::foreignInFront, "Other 20×45 at 470,-40"}));
    // A second, untracked window of a workspace app; and one between our own windows, over the
    // right tile, which is to come up.
    EXPECT_EQ(walk({window(7, kOurs, {400, 100, 200, 200}), ownLeft, ownRight}).foreignWindow,
              "Notes, a workspace app 200×200 at 400,100");
    const auto between = walk({ownLeft, window(9, kOther, {400, 100, 200, 200}), ownRight});
    EXPECT_EQ(between.foreignWindow, "Other 200×200 at 400,100, between our windows");
    EXPECT_EQ(between.buriedTiles, (std::vector<uint32_t>{2}));
}

TEST(FrontOfRegion, WithOnePaneOnlyTheRailCountsAndWithoutWindowNumbersThePidDecides) {
    const std::vector<Rect> whole{kRegion};
    EXPECT_EQ(walk({window(9, kOther, {400, 100, 200, 200})}, {1, 2}, {}, whole).front, Front::inconclusive);
    EXPECT_EQ(walk({window(9, kOther, {400, 0, 200, 200})}, {1, 2}, {}, whole).front, Front::foreignInFront);
    // No tracked window numbers: any window of a workspace app is our own.
    EXPECT_EQ(walk({window(77, kOurs, {400, 100, 200, 200})}, {}).front, Front::ownInFront);
}

TEST(FrontOfRegion, NothingToGoOnIsInconclusive) {
    EXPECT_EQ(walk({}).front, Front::inconclusive);
    EXPECT_EQ(walk({window(9, kOther, {2000, 0, 100, 100})}).front, Front::inconclusive);
    // A sliver below 4 square points is no overlap.
    EXPECT_EQ(walk({window(9, kOther, {999, 599, 10, 10})}).front, Front::inconclusive);
}

// Notes and Mail tiled in "Write"; Music runs outside it, its window away from the container.
class ForegroundGuard : public ShownWorkspace {
protected:
    void SetUp() override {
        ShownWorkspace::SetUp();
        s.window("Music").setFrame({1300, 800, 100, 80});
        s.probe().placeWindows(ws, true);
        s.advance(2);
        s.clearLog();
    }
    Rect tile(size_t i) { return s.probe().tileRects(ws)[i]; }
};

TEST_F(ForegroundGuard, AForeignWindowOverTheGutterTakesTheChromeOutAndBack) {
    ASSERT_TRUE(s.chrome(ws.id).isVisible);
    s.tips->hasPanel = true;
    const Rect gutter{tile(0).maxX() - 100, 200, 300, 300};
    s.window("Music").setFrame(gutter);
    s.probe().pulseChromeGuard();  // as a focus change or a launch does
    EXPECT_FALSE(s.chrome(ws.id).isVisible);
    EXPECT_EQ(s.log().back(), "[Tessane] Foreground guard: foreign window covers region → chrome aside (Music 300×300 at " +
                                  std::to_string(static_cast<int>(gutter.minX())) + ",200)");
    EXPECT_FALSE(s.tips->hasPanel);

    s.advance(0.5);  // still covered: nothing more is said
    EXPECT_EQ(s.logCount("Foreground guard"), 1u);

    s.window("Music").setFrame({tile(1).minX() + 50, 200, 300, 300});  // back inside one pane
    s.advance(0.3);
    EXPECT_TRUE(s.chrome(ws.id).isVisible);
    EXPECT_EQ(s.log().back(), "[Tessane] Foreground guard: own window frontmost → restore chrome");
    EXPECT_EQ(s.logCount("Foreground guard"), 2u);
}

// Music's window left between the workspace's own, over Mail's tile: Mail comes up over it
// without the focus, and the chrome stays up.
TEST_F(ForegroundGuard, AnotherAppsWindowBetweenOurOwnHasTheTileUnderItRaisedWithoutTheFocus) {
    const Rect over{tile(1).minX() - 100, 200, 300, 300};
    s.window("Music").setFrame(over);
    s.window("Music").raise();
    s.window("Notes").raise();
    const auto front = s.sim.applications.frontmostApplication();
    s.probe().pulseChromeGuard();

    const auto& stacking = s.sim.windowServer.windowsFrontToBack();
    EXPECT_LT(std::find(stacking.begin(), stacking.end(), &s.window("Mail")),
              std::find(stacking.begin(), stacking.end(), &s.window("Music")));
    EXPECT_EQ(s.sim.applications.frontmostApplication(), front);
    EXPECT_TRUE(s.chrome(ws.id).isVisible);
    s.advance(2);
    EXPECT_EQ(s.log(), (Lines{"[Tessane] Foreground guard: raised Mail from under Music 300×300 at " +
                              std::to_string(static_cast<int>(over.minX())) + ",200, between our windows"}));
}

TEST_F(ForegroundGuard, SettingsOverTheGutterTakesTheChromeAsideAsTessanesOwnWindowNotAForeignOne) {
    s.launchApp("Tessane");  // its window plays our Settings window
    s.sim.environment.setProcessIdentifier(s.pid("Tessane"));
    const Rect gutter{tile(0).maxX() - 100, 200, 300, 300};
    s.window("Tessane").setFrame(gutter);
    s.probe().pulseChromeGuard();
    EXPECT_FALSE(s.chrome(ws.id).isVisible);
    EXPECT_EQ(s.log().back(), "[Tessane] Foreground guard: Tessane's own window covers region → chrome aside (Tessane "
                              "300×300 at " + std::to_string(static_cast<int>(gutter.minX())) + ",200)");
}

TEST_F(ForegroundGuard, TheChromeStaysPutWhileWindowsArePlacedDraggedOrInFullscreen) {
    s.window("Music").setFrame({tile(0).maxX() - 100, 200, 300, 300});
    const size_t outs = s.chrome(ws.id).count("orderOut");
    s.probe().setPlacementGuardCount(1);
    s.probe().refreshChromeVisibility();
    s.probe().setPlacementGuardCount(0);
    s.probe().setDraggingDivider(true);
    s.probe().refreshChromeVisibility();
    s.probe().setDraggingDivider(false);
    s.probe().session(ws.id)->fullScreenPids.insert(s.pid("Notes"));
    s.probe().refreshChromeVisibility();
    EXPECT_EQ(s.chrome(ws.id).count("orderOut"), outs);
    EXPECT_TRUE(s.chrome(ws.id).isVisible);
}

TEST_F(ForegroundGuard, AnUnreadableListRestoresHiddenChromeAndNoActiveWorkspaceStopsTheTimer) {
    s.probe().session(ws.id)->chrome->orderOut();
    s.sim.windowList.setReadable(false);
    s.probe().pulseChromeGuard();
    EXPECT_TRUE(s.chrome(ws.id).isVisible);
    EXPECT_TRUE(s.probe().guardTimerRunning());

    s.manager->setActiveWorkspace(std::nullopt);
    s.advance(0.3);
    EXPECT_FALSE(s.probe().guardTimerRunning());
}

}  // namespace
}  // namespace tessane::testing
