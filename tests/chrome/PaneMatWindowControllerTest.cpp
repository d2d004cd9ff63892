#include "chrome/PaneMatWindowController.h"
#include "platform/sim/SimPanels.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using sim::SimPanel;

class PaneMatTest : public ::testing::Test {
protected:
    std::vector<SimPanel*> shields() const { return panels.panelsNamed("shield"); }
    std::vector<bool> shieldsShown() const {
        std::vector<bool> out;
        for (auto* p : shields()) out.push_back(p->isVisible());
        return out;
    }
    static std::vector<Rect> strips(int n) {
        std::vector<Rect> out;
        for (int i = 0; i < n; ++i) out.push_back({10.0 * i, 0, 6, 100});
        return out;
    }

    sim::SimPanels panels;
    PaneMatWindowController mat{panels};
    const Rect container{100, 50, 800, 600};
};

TEST_F(PaneMatTest, MatIsMadeOnFirstUpdateBelowOrdinaryWindowsAndFramedToTheContainer) {
    mat.orderForWorkspaceVisible();
    EXPECT_EQ(mat.matPanel(), nullptr);
    EXPECT_FALSE(mat.isVisible()) << "nothing to order in before the first update";

    mat.update(container, std::nullopt);
    ASSERT_NE(mat.matPanel(), nullptr);
    EXPECT_EQ(mat.matPanel()->options().level, PanelLevel::mat);
    EXPECT_FALSE(mat.matPanel()->options().ignoresMouse) << "a click into a gap must not fall through";
    EXPECT_EQ(mat.matPanel()->frame(), container);
    EXPECT_TRUE(shields().empty());

    mat.update(container.offsetBy(5, 5), std::vector<Rect>{});
    EXPECT_EQ(panels.panelsNamed("mat").size(), 1u) << "the mat is made once";
    EXPECT_EQ(mat.matPanel()->frame(), container.offsetBy(5, 5));
}

TEST_F(PaneMatTest, ShieldPoolGrowsToTheLargestLayoutAndIsReused) {
    mat.update(container, strips(4));
    mat.orderForWorkspaceVisible();
    EXPECT_EQ(shieldsShown(), (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(shields()[0]->options().level, PanelLevel::shield);
    EXPECT_EQ(shields()[3]->frame(), strips(4)[3]);

    mat.update(container, strips(2));
    EXPECT_EQ(mat.activeShieldCount(), 2);
    EXPECT_EQ(shieldsShown(), (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(mat.shieldPanels().size(), 4u);

    mat.update(container, strips(4));
    EXPECT_EQ(panels.createdCount(), 5) << "one mat and four shields, reused";
    EXPECT_EQ(shieldsShown(), (std::vector<bool>{true, true, true, true}));

    mat.update(container, std::nullopt);
    EXPECT_EQ(shieldsShown(), (std::vector<bool>{false, false, false, false}));
    EXPECT_TRUE(mat.matPanel()->isVisible());
}

TEST_F(PaneMatTest, HiddenShieldsStayOffScreenUntilShownWhileTheMatIsVisible) {
    mat.update(container, strips(3));
    mat.orderForWorkspaceVisible();

    mat.setShieldsHidden(true);
    EXPECT_EQ(shieldsShown(), (std::vector<bool>{false, false, false}));
    panels.clearJournal();
    mat.setShieldsHidden(true);
    EXPECT_TRUE(panels.journal().empty()) << "a repeated request acts once";

    mat.update(container, strips(2));
    EXPECT_EQ(shields()[1]->frame(), strips(2)[1]) << "strips laid out while hidden are framed";
    EXPECT_EQ(shieldsShown(), (std::vector<bool>{false, false, false}));

    mat.setShieldsHidden(false);
    EXPECT_EQ(shieldsShown(), (std::vector<bool>{true, true, false}));
}

TEST_F(PaneMatTest, ShowingShieldsWhileTheMatIsOutOnlyRecordsTheRequest) {
    mat.update(container, strips(2));
    mat.setShieldsHidden(true);
    mat.orderForWorkspaceVisible();
    mat.orderOut();
    EXPECT_FALSE(mat.matPanel()->isVisible());

    mat.setShieldsHidden(false);
    EXPECT_EQ(shieldsShown(), (std::vector<bool>{false, false}));
    EXPECT_FALSE(mat.shieldsHidden());

    mat.orderForWorkspaceVisible();
    EXPECT_TRUE(mat.matPanel()->isVisible());
    EXPECT_EQ(shieldsShown(), (std::vector<bool>{true, true}));
}

TEST_F(PaneMatTest, OrderOutTakesEveryShieldAndTheDestructorDestroysAll) {
    {
        PaneMatWindowController local{panels};
        local.update(container, strips(3));
        local.orderForWorkspaceVisible();
        local.update(container, strips(1));
        local.orderOut();
        EXPECT_FALSE(local.isVisible());
        for (auto* p : panels.panels()) EXPECT_FALSE(p->isVisible()) << p->options().name;
        local.orderForWorkspaceVisible();
    }
    EXPECT_TRUE(panels.panels().empty()) << "nothing outlives its controller";
    EXPECT_EQ(panels.journal().back(), "mat#1 destroy");
}

TEST_F(PaneMatTest, MatAndShieldsSwallowClicksAndAreStackedAroundOrdinaryWindows) {
    mat.update(container, strips(1));
    mat.orderForWorkspaceVisible();
    auto order = panels.stackingOrder();
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0]->options().name, "mat");
    EXPECT_EQ(order[1]->options().name, "shield");
    EXPECT_EQ(panels.panelAt({3, 10}), order[1]);
    EXPECT_EQ(panels.panelAt({500, 300}), order[0]);
}

}  // namespace
}  // namespace tessane
