#include "chrome/TipsCard.h"
#include "chrome/WorkspaceTipsController.h"
#include "platform/sim/SimPlatform.h"
#include "CardTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tessane {
namespace {

using sim::SimPanel;
using testing::cardFrameOf;

class TipsCardTest : public ::testing::Test {
protected:
    void SetUp() override { sim.screens.setScreens({sim::SimScreens::screen({0, 0, 1440, 900})}); }
    SimPanel& panel() const { return static_cast<SimPanel&>(*tips.panel()); }

    sim::SimPlatform sim;
    WorkspaceTipsController tips{sim.panels, sim.screens, sim.defaults, sim.mainQueue};
};

TEST_F(TipsCardTest, ShowsOneCardNearTheContainerAndRecordsThatTheTipsWereSeen) {
    tips.show({100, 200, 800, 600});
    EXPECT_EQ(sim.defaults.boolValue(WorkspaceTipsController::kSeenKey), true);
    ASSERT_TRUE(tips.hasPanel());
    EXPECT_EQ(panel().options().level, PanelLevel::card);
    EXPECT_TRUE(panel().options().canTakeFocus);
    EXPECT_TRUE(panel().isVisible());
    EXPECT_EQ(panel().alpha(), 1) << "no fade";
    EXPECT_TRUE(sim.animator.started().empty());
    const Rect card = cardFrameOf(panel());
    EXPECT_EQ(card.origin, Point(310, 228));
    EXPECT_EQ(card.width(), 380);
    EXPECT_GE(card.height(), 120);
}

TEST_F(TipsCardTest, ASecondShowChangesNothingOnScreenButWritesTheKeyAgain) {
    tips.show({100, 200, 800, 600});
    const Rect first = panel().frame();
    sim.defaults.set(WorkspaceTipsController::kSeenKey, false);
    tips.show({600, 100, 800, 600});
    EXPECT_EQ(sim.defaults.boolValue(WorkspaceTipsController::kSeenKey), true);
    EXPECT_EQ(sim.panels.createdCount(), 1);
    EXPECT_EQ(panel().frame(), first) << "not moved to the other container";
}

TEST_F(TipsCardTest, GotItClosesTheCardAndALaterShowBuildsANewOne) {
    tips.show({100, 200, 800, 600});
    SimPanel& shown = panel();
    // The card's one button, found from the drawing the panel shows.
    const Rect card = cardFrameOf(shown);
    const DrawOp* gotIt = nullptr;
    for (const DrawOp& op : shown.drawing())
        if (op.kind == DrawOp::Kind::styledText && !op.styledText.runs.empty() && op.styledText.runs[0].text == "Got it") gotIt = &op;
    ASSERT_NE(gotIt, nullptr);
    const Point at{gotIt->rect.midX() + shown.frame().minX(), gotIt->rect.midY() + shown.frame().minY()};
    ASSERT_TRUE(card.contains(at));
    shown.deliver({PanelInput::Kind::leftDown, at});
    shown.deliver({PanelInput::Kind::leftUp, at});
    EXPECT_FALSE(tips.hasPanel());
    EXPECT_FALSE(shown.isVisible());

    tips.show({100, 200, 800, 600});
    EXPECT_TRUE(tips.hasPanel());
    EXPECT_EQ(sim.panels.createdCount(), 2);
    panel().deliverKey(PanelKey::returnKey);
    EXPECT_FALSE(tips.hasPanel()) << "Return answers the default button, \"Got it\"";
    tips.close();  // nothing left to close
    sim.mainQueue.runPending();
    EXPECT_TRUE(sim.panels.panels().empty());
}

TEST(TipsCardLayoutTest, IsAtLeast120HighAndGrowsWithItsText) {
    testing::FixedTextPanels small({10, 0});
    const CardLayout compact = layoutTipsCard(small, nullptr);
    EXPECT_EQ(compact.size.width, 380);
    EXPECT_GE(compact.size.height, 120);

    testing::FixedTextPanels tall({10, 60});
    // Header, three tips and footer: each grows by what its text needs beyond its symbol or button.
    EXPECT_EQ(layoutTipsCard(tall, nullptr).size.height,
              compact.size.height + (60 - 16) + 3 * (60 - 18) + (60 - 24));
}

TEST(TipsCardLayoutTest, TheTipsShowTheirStarredSpansBoldWithoutTheStars) {
    sim::SimPanels panels;
    const CardLayout layout = layoutTipsCard(panels, nullptr);
    std::vector<std::vector<TextRun>> tipRuns;
    for (const DrawOp& op : layout.content)
        if (op.kind == DrawOp::Kind::styledText && op.styledText.runs.size() > 1) tipRuns.push_back(op.styledText.runs);
    ASSERT_EQ(tipRuns.size(), 3u);
    for (const auto& runs : tipRuns)
        for (const TextRun& run : runs) EXPECT_EQ(run.text.find("**"), std::string::npos) << run.text;
    EXPECT_EQ(tipRuns[2][0].text, "Super+Ctrl+Left/Right");
    EXPECT_TRUE(tipRuns[2][0].bold);
    EXPECT_EQ(tipRuns[2][1].text, " switch focus · ");
    EXPECT_FALSE(tipRuns[2][1].bold);
    EXPECT_EQ(tipRuns[2][3].text, " solo · ");
    EXPECT_EQ(tipRuns[2][4].text, "Super+Alt+H");
    EXPECT_EQ(testing::texts(layout.content).front(), "Quick tips");
    EXPECT_EQ(testing::texts(layout.content).back(), "See all shortcuts in Settings.");
}

TEST(BoldSpansTest, SplitsAtMarkersAndLeavesAnUnmatchedOneAsWritten) {
    auto runs = [](std::string_view s) {
        std::vector<std::pair<std::string, bool>> out;
        for (auto& r : boldSpans(s)) out.emplace_back(r.text, r.bold);
        return out;
    };
    using V = std::vector<std::pair<std::string, bool>>;
    EXPECT_EQ(runs("plain"), (V{{"plain", false}}));
    EXPECT_EQ(runs("**all**"), (V{{"all", true}}));
    EXPECT_EQ(runs("a **b** c **d**"), (V{{"a ", false}, {"b", true}, {" c ", false}, {"d", true}}));
    EXPECT_EQ(runs("a **b"), (V{{"a **b", false}}));
    EXPECT_EQ(runs(""), V{});
}

}  // namespace
}  // namespace tessane
