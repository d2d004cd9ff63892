#include "chrome/ContainerChromeFixture.h"

namespace tessane {
namespace {

using K = PanelInput::Kind;

// A 1440 x 900 display whose top 25 points are a menu bar and bottom 60 a dock.
class HeaderDragTest : public testing::ContainerChromeFixture {
protected:
    void SetUp() override {
        ContainerChromeFixture::SetUp();
        auto screen = sim::SimScreens::screen({0, 0, 1440, 900});
        screen.visibleFrame = {0, 60, 1440, 815};
        sim.screens.setScreens({screen});
        chrome.onContainerChanged = [this](const Rect& r) { reported.push_back(r); };
        chrome.onMaximizeToggled = [this] { ++toggled; };
        show(LayoutType::leftRightSplit, 2, {200, 200, 1000, 600});
    }
    // A press on the rail, then drags to each offset from it, then the release.
    void drag(std::vector<Point> offsets, bool release = true) {
        const Point s{700, 795};
        deliver(rail(), K::leftDown, s);
        pointer = s;
        for (Point d : offsets) {
            pointer = {s.x + d.x, s.y + d.y};
            deliver(rail(), K::leftDragged, pointer);
            sim.mainQueue.advance(0.02);
        }
        if (release) deliver(rail(), K::leftUp, pointer);
    }
    Point pointer;  // where the last press or motion was
    sim::SimPanel* placement() const { return named("placement"); }

    std::vector<Rect> reported;
    int toggled = 0;
};

TEST_F(HeaderDragTest, TwoPointsIsAClickThreeStartTheDrag) {
    drag({{2, 0}, {0, -2}, {2, 2}});
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(placement(), nullptr);
    EXPECT_EQ(chrome.containerCocoaRect, Rect(200, 200, 1000, 600));

    drag({{3, 0}});
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(chrome.containerCocoaRect, Rect(203, 200, 1000, 600));
    EXPECT_EQ(reported[0], Rect(203, 100, 1000, 600)) << "reported in Accessibility coordinates";
}

TEST_F(HeaderDragTest, FirstMovementSwapsTheMatForThePlacementCardAndTheDropPutsItBack) {
    drag({{10, -10}}, /*release=*/false);
    EXPECT_FALSE(chrome.paneMat.matPanel()->isVisible());
    ASSERT_NE(placement(), nullptr);
    EXPECT_TRUE(placement()->isVisible());
    EXPECT_EQ(placement()->frame(), Rect(186, 166, 1048, 648)) << "the container outset by 24";
    EXPECT_FALSE(rail()->hasShadow());
    EXPECT_GT(rail()->frontSequence(), placement()->frontSequence()) << "the rail stays above the card";
    EXPECT_EQ(rail()->frame(), Rect(670, 778, 80, 12));
    EXPECT_TRUE(handles()[0]->isVisible()) << "handles stay where they were during the drag";
    EXPECT_EQ(handles()[0]->frame().minX(), 692);

    deliver(rail(), K::leftUp, pointer);
    EXPECT_FALSE(placement()->isVisible());
    EXPECT_TRUE(chrome.paneMat.matPanel()->isVisible());
    EXPECT_EQ(chrome.paneMat.matPanel()->frame(), Rect(210, 190, 1000, 600));
    EXPECT_TRUE(rail()->hasShadow());
    EXPECT_EQ(handles()[0]->frame().minX(), 702);
    EXPECT_EQ(reported, (std::vector<Rect>{{210, 110, 1000, 600}}));
}

TEST_F(HeaderDragTest, MovesCloserThanASixtiethOfASecondOnlyUpdateTheContainer) {
    deliver(rail(), K::leftDown, {700, 795});
    deliver(rail(), K::leftDragged, {710, 795});
    const Rect railAfterFirst = rail()->frame();
    deliver(rail(), K::leftDragged, {720, 795});  // no time has passed
    EXPECT_EQ(chrome.containerCocoaRect.minX(), 220);
    EXPECT_EQ(rail()->frame(), railAfterFirst);
    sim.mainQueue.advance(0.02);
    deliver(rail(), K::leftDragged, {730, 795});
    EXPECT_EQ(rail()->frame().minX(), railAfterFirst.minX() + 20);
    EXPECT_EQ(placement()->frame().minX(), 206);
}

TEST_F(HeaderDragTest, TheRailStaysReachableAtTheBottomTopAndSides) {
    drag({{0, -2000}});
    EXPECT_EQ(chrome.containerCocoaRect.maxY(), 60 + 56) << "top edge 56 above the dock";
    drag({{0, 3000}});
    EXPECT_EQ(chrome.containerCocoaRect.maxY(), 875) << "top edge under the menu bar";
    drag({{-5000, 0}});
    EXPECT_EQ(chrome.containerCocoaRect.midX() - 40, 0) << "the rail's left edge on the screen's";
    drag({{9000, 0}});
    EXPECT_EQ(chrome.containerCocoaRect.midX() + 40, 1440);
    EXPECT_GT(chrome.containerCocoaRect.maxX(), 1440) << "the container itself may reach beyond";
}

TEST_F(HeaderDragTest, ClampPicksTheScreenUnderTheRailAndKeepsAnythingWithoutScreens) {
    auto left = sim::SimScreens::screen({0, 0, 1440, 900});
    auto right = sim::SimScreens::screen({1440, 0, 1920, 1080});
    sim.screens.setScreens({left, right});
    EXPECT_EQ(chrome.clampForReachableRail({1500, 0, 800, 1075}).maxY(), 1075)
        << "the rail is on the right screen, whose top is higher";
    EXPECT_EQ(chrome.clampForReachableRail({5000, 5000, 800, 600}).maxY(), 900)
        << "off every screen: the first one";
    sim.screens.setScreens({});
    sim.screens.setMainScreenIndex(std::nullopt);
    EXPECT_EQ(chrome.clampForReachableRail({5000, 5000, 800, 600}), Rect(5000, 5000, 800, 600));
}

TEST_F(HeaderDragTest, MaximizeTwiceRestoresAndADragForgetsTheOldFrame) {
    deliver(rail(), K::leftDown, {700, 795}, 2);
    EXPECT_TRUE(chrome.isMaximized);
    EXPECT_EQ(chrome.containerCocoaRect, Rect(0, 60, 1440, 815));
    EXPECT_EQ(chrome.preMaximizeFrame, Rect(200, 200, 1000, 600));
    EXPECT_EQ(rail()->frame(), Rect(680, 863, 80, 12));
    EXPECT_EQ(reported.back(), Rect(0, 25, 1440, 815));
    EXPECT_EQ(toggled, 1);

    chrome.toggleMaximize();
    EXPECT_FALSE(chrome.isMaximized);
    EXPECT_EQ(chrome.containerCocoaRect, Rect(200, 200, 1000, 600));
    EXPECT_FALSE(chrome.preMaximizeFrame);
    EXPECT_EQ(toggled, 2);

    chrome.toggleMaximize();
    drag({{0, -100}});
    EXPECT_FALSE(chrome.isMaximized);
    EXPECT_FALSE(chrome.preMaximizeFrame) << "a drag ends the maximized state without restoring";
    chrome.toggleMaximize();
    EXPECT_TRUE(chrome.isMaximized) << "Maximize again maximizes";
    EXPECT_EQ(chrome.containerCocoaRect, Rect(0, 60, 1440, 815));
}

TEST_F(HeaderDragTest, MaximizeNeedsTheRailAndADisplay) {
    sim.screens.setScreens({});
    sim.screens.setMainScreenIndex(std::nullopt);
    chrome.toggleMaximize();
    EXPECT_FALSE(chrome.isMaximized);
    EXPECT_EQ(toggled, 0);

    ContainerWindowController bare{sim.platform()};
    bare.onMaximizeToggled = [this] { ++toggled; };
    bare.toggleMaximize();
    EXPECT_EQ(toggled, 0);
}

TEST_F(HeaderDragTest, PlacementCardSketchesPanesOrGuides) {
    drag({{5, 0}}, false);
    const auto& panes = placement()->drawing();
    const auto count = [](const PanelDrawing& d, DrawOp::Kind kind) {
        return std::count_if(d.begin(), d.end(), [kind](const DrawOp& op) { return op.kind == kind; });
    };
    EXPECT_EQ(count(panes, DrawOp::Kind::fillRoundedRect), 3) << "the card and two panes";
    deliver(rail(), K::leftUp, pointer);

    show(LayoutType::mainSidebar, 3, {200, 200, 1000, 600});
    chrome.currentTitle = "Write";
    drag({{5, 0}}, false);
    const auto& guides = placement()->drawing();
    ASSERT_EQ(count(guides, DrawOp::Kind::line), 1);
    const auto line = std::find_if(guides.begin(), guides.end(), [](const DrawOp& op) { return op.kind == DrawOp::Kind::line; });
    EXPECT_EQ(line->rect.minX(), 24 + 0.6 * 1000) << "one guide at 60 % of the card";
    EXPECT_EQ(guides.back().kind, DrawOp::Kind::text);
    EXPECT_EQ(guides.back().text, "Write");
}

}  // namespace
}  // namespace tessane
