#include "support/ControllerScenario.h"

#include "controller/WorkspaceRules.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Lines = ControllerScenario::Lines;

class ThreeColumns : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto name : {"Notes", "Mail", "Music"}) s.launchApp(name);
        ws = s.addWorkspace("Cols", {"Notes", "Mail", "Music"}, LayoutType::threeLeftOneRightTwo);
        ws.layout.threeColumns = ThreeColumnsState{};
        s.manager->update(ws);
        s.start();
        s.putUp(ws);  // inner width 1194: three columns of 390 pt
        s.drain();
        s.clearLog();
    }
    Workspace current() { return s.workspace(ws.id); }
    void tileAndSolve() {
        s.probe().placeWindows(current(), true);
        s.probe().solveThreeColumns(current());
    }
    Lines columnLines() const {
        Lines out;
        for (const auto& line : s.log())
            if (line.find("‘Cols’") != std::string::npos) out.push_back(line);
        return out;
    }

    ControllerScenario s;
    Workspace ws;
};

TEST_F(ThreeColumns, AppsThatCannotShareTheWidthFoldAndUnfoldOnTrialWhenThereIsRoom) {
    for (auto name : {"Notes", "Mail", "Music"}) s.window(name).setMinimumSize({450, 200});
    tileAndSolve();
    EXPECT_TRUE(current().layout.threeColumns->folded);
    EXPECT_EQ(workspace_rules::geometryType(current()), LayoutType::threeLeftOneRightTwo);
    EXPECT_EQ(columnLines(), (Lines{"[Tessane] ‘Cols’: folded into 1 + 2 — the apps need 1350 of 1182."}));
    ASSERT_EQ(s.notice->shown.size(), 1u);
    EXPECT_EQ(s.notice->shown[0].title, "Too narrow for three columns");
    EXPECT_EQ(s.notice->shown[0].dismissAfter, 6.0);
    EXPECT_EQ(s.chrome(ws.id).currentLayoutType, LayoutType::threeLeftOneRightTwo);

    // One point wider is no reason to try again.
    s.probe().session(ws.id)->containerAXRect = Rect(40, 60, 1201, 700);
    s.probe().placeWindows(current(), true);
    EXPECT_TRUE(current().layout.threeColumns->folded);

    // Room enough: the next tiling pass tries three columns, the solver confirms them.
    s.clearLog();
    s.probe().session(ws.id)->containerAXRect = Rect(0, 25, 1440, 875);
    tileAndSolve();
    EXPECT_FALSE(current().layout.threeColumns->folded);
    EXPECT_EQ(columnLines(), (Lines{"[Tessane] ‘Cols’: three columns — trying three columns at width 1434.",
                                    "[Tessane] ‘Cols’: all three fit side by side again."}));
    ASSERT_EQ(s.notice->shown.size(), 2u);
    EXPECT_EQ(s.notice->shown[1].title, "Back to three columns");
    const auto tiles = s.probe().tileRects(current());
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(s.window(ws.apps[i].displayName).frame(), tiles[i]);
}

TEST_F(ThreeColumns, ATrialThatFailsFoldsAgainWithoutASecondCard) {
    for (auto name : {"Notes", "Mail", "Music"}) s.window(name).setMinimumSize({450, 200});
    tileAndSolve();
    s.probe().session(ws.id)->containerAXRect = Rect(40, 60, 1260, 700);  // wider, still too narrow
    s.clearLog();
    tileAndSolve();
    EXPECT_TRUE(current().layout.threeColumns->folded);
    EXPECT_EQ(columnLines().back(), "[Tessane] ‘Cols’: folded into 1 + 2 — the apps need 1350 of 1242, after trying.");
    EXPECT_EQ(s.notice->shown.size(), 1u);
}

TEST_F(ThreeColumns, OneWideAppResplitsAtMostFourTimesPerOperation) {
    s.window("Notes").setMinimumSize({500, 200});
    for (int pass = 1; pass <= 4; ++pass) {
        auto reset = current();
        reset.layout.ratios = std::vector<double>{1.0 / 3, 0.5};  // the columns planned again
        s.manager->update(reset);
        tileAndSolve();
        EXPECT_EQ(s.probe().threeColumnsPasses(ws.id), pass);
    }
    EXPECT_EQ(columnLines().front(), "[Tessane] ‘Cols’: three columns re-split to [500, 341, 341] (pass 1) — an app "
                                     "wouldn't go narrower than its own width.");
    s.advance(0.5);  // the looks the first three passes scheduled
    const size_t lines = columnLines().size();
    s.advance(2.0);
    EXPECT_EQ(columnLines().size(), lines);  // the fourth pass schedules no further look
    EXPECT_FALSE(current().layout.threeColumns->folded);
}

TEST_F(ThreeColumns, AWindowAlmostAsWideAsTheScreenIsNotTakenForARefusal) {
    s.window("Notes").setMinimumSize({1200, 200});  // beyond 0.8 x 1440
    tileAndSolve();
    EXPECT_TRUE(s.probe().threeColumnsRefused(ws.id).empty());
    EXPECT_TRUE(current().layout.threeColumns->folded);
    EXPECT_EQ(columnLines(), (Lines{"[Tessane] ‘Cols’: folded into 1 + 2 — the apps need 960 of 1182."}));
}

TEST_F(ThreeColumns, OnlyAnUnfoldedThreeColumnWorkspaceIsSolved) {
    tileAndSolve();
    EXPECT_TRUE(s.log().empty());  // everything fits: nothing to say
    EXPECT_TRUE(s.probe().solveThreeColumns(current()));
    auto plain = s.addWorkspace("Plain", {"Notes", "Mail", "Music"}, LayoutType::threeLeftOneRightTwo);
    EXPECT_FALSE(s.probe().solveThreeColumns(plain));
    EXPECT_FALSE(s.probe().threeColumnsOverflow(current()));
    s.window("Mail").setMinimumSize({430, 200});
    s.probe().placeWindows(current(), true);
    EXPECT_TRUE(s.probe().threeColumnsOverflow(current()));
}

TEST(TileRects, TheOlderArrangementServesMainSidebarAndALoneApp) {
    ControllerScenario s;
    s.launchApp("Notes");
    s.launchApp("Mail");
    auto one = s.addWorkspace("One", {"Notes"}, LayoutType::mainSidebar);
    auto side = s.addWorkspace("Side", {"Notes", "Mail"}, LayoutType::mainSidebar);
    s.start();
    s.putUp(one, {0, 0, 1000, 600});
    s.putUp(side, {0, 0, 1008, 600});
    EXPECT_EQ(s.probe().tileRects(one), (std::vector<Rect>{{0, 0, 1000, 600}}));
    const auto rects = s.probe().tileRects(side);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], Rect(0, 0, 600, 600));  // 0.6 of the 1000 pt left after the 8 pt spacing
    EXPECT_EQ(rects[1].minX(), 608);
    s.probe().session(side.id)->containerAXRect = Rect(0, 0, 0, 600);
    EXPECT_TRUE(s.probe().tileRects(side).empty());
}

}  // namespace
}  // namespace tessane::testing
