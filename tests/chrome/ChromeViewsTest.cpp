#include "chrome/DividerDragView.h"
#include "chrome/MoveRailView.h"
#include "chrome/PaneViews.h"
#include "platform/sim/SimPanels.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

class ChromeViewsTest : public ::testing::Test {
protected:
    sim::SimPanel& panel(Size size) {
        owned.push_back(panels.makePanel({.name = "view"}));
        owned.back()->setFrame({0, 0, size.width, size.height});
        return static_cast<sim::SimPanel&>(*owned.back());
    }
    sim::SimPanels panels;
    std::vector<std::unique_ptr<Panel>> owned;
};

TEST_F(ChromeViewsTest, MatAndShieldFillTheirWholePanelWithTheUnderPageColour) {
    auto& matPanel = panel({300, 200});
    PaneMatView mat(matPanel);
    mat.display();
    ASSERT_EQ(matPanel.drawing().size(), 1u);
    EXPECT_EQ(matPanel.drawing()[0].kind, DrawOp::Kind::fillRoundedRect);
    EXPECT_EQ(matPanel.drawing()[0].rect, Rect(0, 0, 300, 200));
    EXPECT_EQ(matPanel.drawing()[0].radius, 12);
    EXPECT_EQ(matPanel.drawing()[0].color.role, ColorRole::underPageBackground);

    auto& shieldPanel = panel({6, 200});
    PaneClickShieldView shield(shieldPanel);
    shield.setPanelFrame({10, 10, 6, 300});
    ASSERT_EQ(shieldPanel.drawing().size(), 1u) << "a new size redraws";
    EXPECT_EQ(shieldPanel.drawing()[0].rect, Rect(0, 0, 6, 300));
    const int draws = shieldPanel.drawCount();
    shield.setPanelFrame({50, 10, 6, 300});
    EXPECT_EQ(shieldPanel.drawCount(), draws) << "a pure move keeps the drawing";
}

TEST_F(ChromeViewsTest, DropPreviewDrawsNothingWhenTooSmallAndBoundsItsIcon) {
    auto& p = panel({4, 100});
    PaneDropPreviewView preview(p);
    preview.icon = std::make_shared<const std::vector<uint8_t>>(std::vector<uint8_t>{1, 2, 3});
    preview.display();
    EXPECT_TRUE(p.drawing().empty());

    auto countImages = [](const PanelDrawing& d) {
        return std::count_if(d.begin(), d.end(), [](const DrawOp& op) { return op.kind == DrawOp::Kind::image; });
    };
    preview.setPanelFrame({0, 0, 30, 100});  // inset side 26 x 0.3 = 7.8: no icon
    EXPECT_EQ(p.drawing().size(), 2u);
    EXPECT_EQ(countImages(p.drawing()), 0);
    preview.setPanelFrame({0, 0, 34, 100});  // 30 x 0.3 = 9
    EXPECT_EQ(countImages(p.drawing()), 1);
    preview.setPanelFrame({0, 0, 1000, 800});
    ASSERT_EQ(p.drawing().size(), 3u);
    EXPECT_EQ(p.drawing()[2].rect, Rect(464, 364, 72, 72)) << "never larger than 72 points, centred";
    EXPECT_EQ(p.drawing()[1].lineWidth, 3);
}

TEST_F(ChromeViewsTest, HandleDrawsABarThatThickensNearThePointerAndGripDotsOnlyWhenLong) {
    auto& p = panel({16, 594});
    DividerDragView handle(p);
    handle.display();
    ASSERT_EQ(p.drawing().size(), 4u);
    EXPECT_EQ(p.drawing()[0].rect, Rect(7, 4, 2, 586));
    EXPECT_EQ(p.drawing()[0].color.alpha, 0.5);
    EXPECT_EQ(p.drawing()[2].rect, Rect(6, 295, 4, 4)) << "the middle dot sits on the centre";

    handle.setHovering(true);
    EXPECT_EQ(p.drawing()[0].rect, Rect(5, 4, 6, 586));
    EXPECT_EQ(p.drawing()[1].color.alpha, 1.0);

    handle.setAxis(DividerDragView::Axis::horizontal);
    handle.setPanelFrame({0, 0, 42, 16});
    EXPECT_EQ(p.drawing().size(), 1u) << "42 points long or shorter: no grip dots";
    EXPECT_EQ(p.cursor(), PanelCursor::resizeUpDown);
}

TEST_F(ChromeViewsTest, RailDragStartsThreePointsFromThePressAndReportsOffsetsFromIt) {
    auto& p = panel({80, 12});
    MoveRailView rail(p);
    std::vector<std::string> events;
    rail.onDragStart = [&] { events.push_back("start"); };
    rail.onDragMoved = [&](double dx, double dy) {
        events.push_back("moved " + std::to_string(int(dx)) + "," + std::to_string(int(dy)));
    };
    rail.onDragEnded = [&] { events.push_back("ended"); };
    rail.onMenu = [&](Point) { events.push_back("menu"); };
    rail.onDoubleClick = [&] { events.push_back("double"); };

    using K = PanelInput::Kind;
    p.deliver({.kind = K::leftDown, .location = {100, 100}});
    p.deliver({.kind = K::leftDragged, .location = {102, 98}});
    p.deliver({.kind = K::leftUp, .location = {102, 98}});
    EXPECT_TRUE(events.empty()) << "a 2-point wobble is a click, not a drag";

    p.deliver({.kind = K::leftDown, .location = {100, 100}});
    p.deliver({.kind = K::leftDragged, .location = {103, 100}});
    EXPECT_TRUE(rail.dragging);
    p.deliver({.kind = K::leftDragged, .location = {110, 90}});
    p.deliver({.kind = K::trackingCancelled});
    EXPECT_EQ(events, (std::vector<std::string>{"start", "moved 3,0", "moved 10,-10", "ended"}));
    EXPECT_FALSE(rail.dragging);

    events.clear();
    p.deliver({.kind = K::leftDown, .location = {100, 100}});
    p.deliver({.kind = K::leftDragged, .location = {105, 100}});
    p.deliver({.kind = K::leftUp, .location = {120, 100}});
    EXPECT_EQ(events, (std::vector<std::string>{"start", "moved 5,0", "moved 20,0", "ended"}))
        << "the release is where the drag ends";

    events.clear();
    p.deliver({.kind = K::leftDown, .location = {100, 100}, .control = true});
    p.deliver({.kind = K::rightDown, .location = {100, 100}});
    p.deliver({.kind = K::leftDown, .location = {100, 100}, .clickCount = 2});
    EXPECT_EQ(events, (std::vector<std::string>{"menu", "menu", "double"}));
    EXPECT_EQ(p.cursor(), PanelCursor::openHand);
}

}  // namespace
}  // namespace tessane
