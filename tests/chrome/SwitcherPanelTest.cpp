#include "chrome/WorkspaceSwitcherPanel.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessane {
namespace {

using sim::SimPanel;

// The sim's text metrics: a 14-point name is 7 points per character and 17.5 high.
class SwitcherPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScreenInfo main = sim::SimScreens::screen({0, 0, 1440, 900});
        main.visibleFrame = {0, 60, 1440, 815};
        sim.screens.setScreens({main, sim::SimScreens::screen({1440, 0, 1920, 1080})});
        sim.eventMonitors.moveMouse({100, 100});
    }
    static WorkspaceSwitcherItem item(std::string name, size_t icons, bool shown = false) {
        return {std::move(name), std::vector<Bytes>(icons, Bytes{1, 2, 3}), shown};
    }
    SimPanel& panel() const { return static_cast<SimPanel&>(*switcher.panel()); }
    size_t count(DrawOp::Kind kind, ColorRole role) const {
        const auto& d = panel().drawing();
        return static_cast<size_t>(std::count_if(d.begin(), d.end(), [&](const DrawOp& op) {
            return op.kind == kind && op.color.role == role;
        }));
    }
    static Point centre(const Rect& r) { return {r.midX(), r.midY()}; }

    sim::SimPlatform sim;
    WorkspaceSwitcherPanel switcher{sim.panels, sim.screens, sim.eventMonitors};
};

TEST_F(SwitcherPanelTest, ShowsAboveEverythingWithoutTakingClicksOrTheKeyboard) {
    EXPECT_FALSE(switcher.isOpen());
    switcher.show({item("Work", 2, true), item("Play", 1)}, 0);
    ASSERT_TRUE(switcher.isOpen());
    EXPECT_EQ(panel().options().level, PanelLevel::switcher);
    EXPECT_TRUE(panel().options().ignoresMouse);
    EXPECT_FALSE(panel().options().canTakeFocus);
    EXPECT_EQ(sim.panels.panelAt(centre(panel().frame())), nullptr) << "clicks reach what lies below";
    EXPECT_EQ(switcher.items().size(), 2u);

    switcher.close();
    EXPECT_FALSE(switcher.isOpen());
    switcher.show({item("Work", 2, true)}, 0);
    EXPECT_EQ(sim.panels.createdCount(), 1) << "the panel is made once and kept";
}

TEST_F(SwitcherPanelTest, AnEmptyListShowsOnlyThePaddedPlate) {
    switcher.show({}, 0);
    EXPECT_EQ(panel().frame().size, Size(32, 32));
    EXPECT_EQ(panel().drawing().size(), 1u);
    EXPECT_EQ(centre(panel().frame()), Point(720, 467.5)) << "centred on the visible frame";
}

TEST_F(SwitcherPanelTest, HighlightsTheSelectedItemAndNoneForAnIndexOutsideTheList) {
    const std::vector<WorkspaceSwitcherItem> items{item("Work", 2, true), item("Play", 0)};
    switcher.show(items, 1);
    ASSERT_EQ(count(DrawOp::Kind::fillRoundedRect, ColorRole::accent), 1u);
    for (const DrawOp& op : panel().drawing()) {
        if (op.color.role != ColorRole::accent) continue;
        EXPECT_EQ(op.rect, switcher.view()->itemRects()[1]);
        EXPECT_EQ(op.color.alpha, 0.35);
    }
    switcher.select(0);
    for (const DrawOp& op : panel().drawing()) {
        if (op.color.role == ColorRole::accent) {
            EXPECT_EQ(op.rect, switcher.view()->itemRects()[0]);
        }
    }

    switcher.show(items, 2);
    EXPECT_EQ(count(DrawOp::Kind::fillRoundedRect, ColorRole::accent), 0u);
    switcher.show(items, -1);
    EXPECT_EQ(count(DrawOp::Kind::fillRoundedRect, ColorRole::accent), 0u);
}

TEST_F(SwitcherPanelTest, ItemsShowTheirIconsAGreenDotWhenShownAndTheirName) {
    switcher.show({item("Mail", 2, true), item("Work", 0, false)}, -1);
    EXPECT_EQ(count(DrawOp::Kind::image, ColorRole::label), 2u);
    EXPECT_EQ(count(DrawOp::Kind::fillEllipse, ColorRole::green), 1u) << "only the shown workspace";
    const auto& rects = switcher.view()->itemRects();
    // 2 icons of 44 with 6 between, padded 16 each side; the dot row, the column spacing of
    // 10 and the padding of 14 above and below.
    EXPECT_EQ(rects[0].size, Size(126, 44 + 10 + 17.5 + 28));
    // No icons: the dot (6), 6 of spacing and the 28-point name.
    EXPECT_EQ(rects[1].size, Size(40 + 32, 17.5 + 28));
    EXPECT_EQ(rects[1].minX(), rects[0].maxX() + 12);
    EXPECT_EQ(rects[1].midY(), rects[0].midY()) << "centred in the row";
    for (const DrawOp& op : panel().drawing()) {
        if (op.kind == DrawOp::Kind::image) {
            EXPECT_EQ(op.rect.size, Size(44, 44));
        }
    }
    EXPECT_EQ(panel().frame().size, Size(16 + 126 + 12 + 72 + 16, 16 + 99.5 + 16));
}

TEST_F(SwitcherPanelTest, EachShowResizesAndCentresOnTheScreenUnderThePointer) {
    switcher.show({item("A", 1)}, 0);
    const Rect one = panel().frame();
    switcher.show({item("A", 1), item("B", 3)}, 1);
    EXPECT_GT(panel().frame().width(), one.width());
    EXPECT_EQ(centre(panel().frame()), Point(720, 467.5));

    sim.eventMonitors.moveMouse({2000, 500});
    switcher.show({item("A", 1)}, 0);
    EXPECT_EQ(centre(panel().frame()), Point(1440 + 960, 540)) << "the second screen's visible frame";

    // Off every screen: the main one; no screen at all: the frame stays.
    sim.eventMonitors.moveMouse({-5000, -5000});
    switcher.show({item("A", 1)}, 0);
    EXPECT_EQ(centre(panel().frame()), Point(720, 467.5));
    sim.screens.setScreens({});
    switcher.show({item("A", 1), item("B", 1)}, 0);
    EXPECT_EQ(centre(panel().frame()), Point(720, 467.5));
}

}  // namespace
}  // namespace tessane
