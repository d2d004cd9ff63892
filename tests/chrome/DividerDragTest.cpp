#include "chrome/ContainerChromeFixture.h"

#include <gmock/gmock.h>

namespace tessane {
namespace {
using sim::SimPanel;

using K = PanelInput::Kind;
using ::testing::Contains;
using ::testing::Not;

class DividerDragTest : public testing::ContainerChromeFixture {
protected:
    void SetUp() override {
        ContainerChromeFixture::SetUp();
        chrome.onDividerDragBegan = [this] { ++began; };
        chrome.onDividerCommitted = [this](const std::vector<double>& r) { committed.push_back(r); };
    }
    sim::SimPanel* overlay() const { return named("dragOverlay"); }

    int began = 0;
    std::vector<std::vector<double>> committed;
};

TEST_F(DividerDragTest, PressPutsTheOverlayOverTheContainerAndFrontsOnlyTheHandlesInUse) {
    show(LayoutType::grid2x2, 4, {100, 100, 1000, 600});
    chrome.currentLayoutType = LayoutType::leftRightSplit;
    chrome.currentAppCount = 2;
    chrome.refreshClickShield();
    sim.panels.clearJournal();

    deliver(handles()[0], K::leftDown, {600, 400});
    ASSERT_NE(overlay(), nullptr);
    EXPECT_TRUE(overlay()->isVisible());
    EXPECT_EQ(overlay()->frame(), Rect(100, 100, 1000, 600));
    EXPECT_EQ(overlay()->alpha(), 1);
    EXPECT_TRUE(overlay()->options().ignoresMouse);
    EXPECT_EQ(began, 1);
    const auto& journal = sim.panels.journal();
    EXPECT_THAT(journal, Contains("handle#" + std::to_string(handles()[0]->id()) + " orderFront"));
    EXPECT_THAT(journal, Not(Contains("handle#" + std::to_string(handles()[1]->id()) + " orderFront")))
        << "a spare handle stays out";
    EXPECT_FALSE(handles()[1]->isVisible());

    // One card per pane with a backdrop: 1 backdrop + 2 × (fill, stroke).
    EXPECT_EQ(overlay()->drawing().size(), 5u);
}

TEST_F(DividerDragTest, MovingReSplitsCardsAndHandlesAndReleaseCommits) {
    show(LayoutType::leftRightSplit, 2, {0, 0, 1000, 600}, {0.5});
    SimPanel* handle = handles()[0];
    deliver(handle, K::leftDown, {500, 300});
    deliver(handle, K::leftDragged, {403, 300});  // the gutter's middle 400 points into the inner rectangle
    EXPECT_DOUBLE_EQ(chrome.currentRatios.at(0), 397.0 / 988);
    EXPECT_NEAR(handle->frame().midX(), 3 + 397 + 3, 1e-9) << "the handle follows its gutter";
    const Rect firstCard = overlay()->drawing().at(1).rect;
    EXPECT_NEAR(firstCard.width(), 397, 1e-9) << "the cards follow too";

    deliver(handle, K::leftDragged, {5, 300});
    EXPECT_DOUBLE_EQ(chrome.currentRatios.at(0), 320.0 / 988) << "clamped to the minimum pane";
    EXPECT_TRUE(committed.empty()) << "nothing is committed before the release";

    deliver(handle, K::leftUp, {403, 300});
    EXPECT_EQ(committed, (std::vector<std::vector<double>>{{397.0 / 988}}))
        << "the release is where the drag ends, even past the last motion seen";
    EXPECT_FALSE(chrome.dividerViews[0]->dragging);
    EXPECT_TRUE(overlay()->isVisible()) << "up until the controller settles";
}

TEST_F(DividerDragTest, ReleaseWithoutMovementAndLostGrabBothCommit) {
    show(LayoutType::leftRightSplit, 2, {0, 0, 1000, 600}, {0.45});
    deliver(handles()[0], K::leftDown, {500, 300});
    deliver(handles()[0], K::leftUp, {500, 300});
    EXPECT_EQ(committed, (std::vector<std::vector<double>>{{0.45}}));

    deliver(handles()[0], K::leftDown, {500, 300});
    deliver(handles()[0], K::leftDragged, {600, 300});
    deliver(handles()[0], K::trackingCancelled, {});
    ASSERT_EQ(committed.size(), 2u) << "a drag whose release never came ends as a release";
    EXPECT_EQ(committed[1], chrome.currentRatios);
    EXPECT_FALSE(chrome.dividerViews[0]->dragging);
    deliver(handles()[0], K::trackingCancelled, {});
    EXPECT_EQ(committed.size(), 2u) << "once";
}

TEST_F(DividerDragTest, GridPadsItsEmptyRatiosOnTheFirstDragOfTheSecondHandle) {
    show(LayoutType::grid2x2, 4, {0, 0, 1000, 1000});
    ASSERT_EQ(handles().size(), 2u);
    const size_t row = chrome.dividerViews[0]->axis == DividerDragView::Axis::horizontal ? 0 : 1;
    ASSERT_EQ(chrome.dividerViews[row]->axis, DividerDragView::Axis::horizontal);
    ASSERT_EQ(chrome.dividerViews[row]->ratioIndex, 1);
    deliver(handles()[row], K::leftDown, {500, 500});
    deliver(handles()[row], K::leftDragged, {500, 997 - 400});
    ASSERT_EQ(chrome.currentRatios.size(), 2u);
    EXPECT_DOUBLE_EQ(chrome.currentRatios[0], 0.5) << "the untouched ratio";
    EXPECT_DOUBLE_EQ(chrome.currentRatios[1], 397.0 / 988);
}

TEST_F(DividerDragTest, SettleFadesTheOverlayAndANewDragDuringTheFadeKeepsIt) {
    show(LayoutType::leftRightSplit, 2, {0, 0, 1000, 600}, {0.5});
    chrome.endDividerSettle();
    EXPECT_EQ(sim.animator.started().size(), 0u) << "nothing to settle without an overlay up";

    deliver(handles()[0], K::leftDown, {500, 300});
    deliver(handles()[0], K::leftDragged, {406, 300});
    deliver(handles()[0], K::leftUp, {406, 300});
    chrome.endDividerSettle();
    ASSERT_EQ(sim.animator.started().size(), 1u);
    EXPECT_EQ(sim.animator.started()[0].animation.alpha, 0.0);
    EXPECT_DOUBLE_EQ(sim.animator.started()[0].animation.duration, 0.12);
    sim.mainQueue.advance(0.2);
    EXPECT_FALSE(overlay()->isVisible());
    EXPECT_EQ(overlay()->alpha(), 1) << "ready for the next drag";

    // A new drag while the settle still fades: the old completion must not take it away.
    deliver(handles()[0], K::leftDown, {406, 300});
    deliver(handles()[0], K::leftUp, {406, 300});
    chrome.endDividerSettle();
    sim.mainQueue.advance(0.05);
    deliver(handles()[0], K::leftDown, {406, 300});
    sim.mainQueue.advance(1);
    EXPECT_TRUE(overlay()->isVisible());
    EXPECT_EQ(overlay()->alpha(), 1);
    EXPECT_EQ(began, 3);
}

TEST_F(DividerDragTest, ThreeColumnsTooNarrowDragChangesNothing) {
    show(LayoutType::threeColumns, 3, {0, 0, 978, 600}, {1.0 / 3, 0.5});  // inner width 972
    const auto before = chrome.currentRatios;
    deliver(handles()[0], K::leftDown, {330, 300});
    for (double x : {10.0, 400.0, 900.0}) deliver(handles()[0], K::leftDragged, {x, 300});
    deliver(handles()[0], K::leftUp, {900, 300});
    EXPECT_EQ(committed, (std::vector<std::vector<double>>{before}));
}

}  // namespace
}  // namespace tessane
