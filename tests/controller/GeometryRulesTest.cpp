#include "support/ControllerScenario.h"

#include "controller/WorkspaceRules.h"

#include <gtest/gtest.h>

namespace tessane::testing {
namespace {

using Fit = ThreeColumnsMemory::Fit;
using Kind = Fit::Kind;

struct FitCase {
    const char* name;
    std::vector<double> columns, actual, floors;
    double available;
    Fit expected;
};

TEST(ThreeColumnFit, Table) {
    const std::vector<double> even{400, 400, 400}, floors{320, 320, 320};
    const FitCase cases[] = {
        {"within the slack", even, {410, 400, 400}, floors, 1200, {Kind::fits, {}}},
        {"exactly at the slack is no refusal", even, {424, 400, 400}, floors, 1200, {Kind::fits, {}}},
        {"one wide window, the others share", even, {500, 400, 400}, floors, 1200, {Kind::resplit, {500, 350, 350}}},
        {"a donor stops at its floor", even, {500, 400, 400}, {320, 380, 320}, 1200,
         {Kind::resplit, {500, 380, 320}}},
        {"no donor left", {400, 400, 320}, {500, 500, 320}, floors, 1200, {Kind::cannotFit, {}}},
        {"floors alone too wide", even, {400, 400, 400}, {400, 400, 401}, 1200, {Kind::cannotFit, {}}},
        {"a locked width below its floor is raised", {100, 500, 500}, {130, 500, 500}, {320, 320, 320}, 1200,
         {Kind::resplit, {320, 440, 440}}},
        {"two entries", {400, 400}, {900, 400}, {320, 320}, 1200, {Kind::fits, {}}},
        {"room after locking", even, {500, 400, 400}, floors, 1400, {Kind::resplit, {500, 400, 400}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ThreeColumnsMemory::fit(c.columns, c.actual, c.floors, c.available, 24), c.expected)
            << c.name;
}

TEST(ThreeColumnFit, ADonorWithLittleRoomGivesWhatItHasAndTheNextRoundTakesTheRest) {
    // Column 1 can give 1 pt, column 2 plenty: the second round hands the remainder to column 2.
    EXPECT_EQ(ThreeColumnsMemory::fit({700, 321, 900}, {900, 321, 900}, {320, 320, 320}, 1600, 24),
              (Fit{Kind::resplit, {900, 320, 380}}));
}

Workspace workspaceOf(LayoutType type, int apps, std::optional<std::vector<double>> ratios = std::nullopt,
                      std::optional<ThreeColumnsState> columns = std::nullopt) {
    Workspace ws;
    ws.name = "W";
    for (int i = 0; i < apps; ++i) ws.apps.push_back(ManagedApp{.displayName = "A" + std::to_string(i)});
    ws.layout.type = type;
    ws.layout.ratios = std::move(ratios);
    ws.layout.threeColumns = columns;
    return ws;
}

TEST(GeometryType, ThreeColumnsModeNeedsTheStateThreeAppsAndTheOneLeftTwoRightType) {
    const ThreeColumnsState open{}, folded{.folded = true};
    struct Case {
        Workspace ws;
        bool threeColumns;
        LayoutType geometry;
    } cases[] = {
        {workspaceOf(LayoutType::threeLeftOneRightTwo, 3, {}, open), true, LayoutType::threeColumns},
        {workspaceOf(LayoutType::threeLeftOneRightTwo, 3, {}, folded), true, LayoutType::threeLeftOneRightTwo},
        {workspaceOf(LayoutType::threeLeftOneRightTwo, 3), false, LayoutType::threeLeftOneRightTwo},
        {workspaceOf(LayoutType::threeLeftOneRightTwo, 2, {}, open), false, LayoutType::threeLeftOneRightTwo},
        {workspaceOf(LayoutType::threeLeftTwoRightOne, 3, {}, open), false, LayoutType::threeLeftTwoRightOne},
        {workspaceOf(LayoutType::threeColumns, 3), false, LayoutType::threeColumns},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(workspace_rules::isThreeColumns(c.ws), c.threeColumns) << toString(c.ws.layout.type);
        EXPECT_EQ(workspace_rules::geometryType(c.ws), c.geometry) << toString(c.ws.layout.type);
    }
}

TEST(EffectiveRatios, TheFirstSplitIsClampedAlongItsAxisAndTheRestAreKept) {
    const Rect wide{0, 0, 1208, 700}, tall{0, 0, 700, 1208};
    struct Case {
        const char* name;
        Workspace ws;
        Rect container;
        std::vector<double> expected;
    } cases[] = {
        {"none stored: the default", workspaceOf(LayoutType::leftRightSplit, 2), wide, {0.5}},
        {"main + sidebar default", workspaceOf(LayoutType::mainSidebar, 3), wide, {0.6}},
        {"too narrow a pane", workspaceOf(LayoutType::leftRightSplit, 2, std::vector<double>{0.1, 0.9}), wide,
         {320.0 / 1200, 0.9}},
        {"stacked types split the height", workspaceOf(LayoutType::topBottomSplit, 2, std::vector<double>{0.1}),
         tall, {320.0 / 1200}},
        {"within bounds", workspaceOf(LayoutType::grid2x2, 4, std::vector<double>{0.4, 0.7}), wide, {0.4, 0.7}},
        {"a container under 8 pt", workspaceOf(LayoutType::leftRightSplit, 2, std::vector<double>{0.2}),
         Rect{0, 0, 5, 500}, {0.5}},
        {"three columns unfolded keep theirs",
         workspaceOf(LayoutType::threeLeftOneRightTwo, 3, std::vector<double>{0.05, 0.5}, ThreeColumnsState{}), wide,
         {0.05, 0.5}},
        {"three columns folded clamp like 1 + 2",
         workspaceOf(LayoutType::threeLeftOneRightTwo, 3, std::vector<double>{0.05, 0.5},
                     ThreeColumnsState{.folded = true}),
         wide, {320.0 / 1200, 0.5}},
    };
    for (const auto& c : cases) {
        const auto got = workspace_rules::effectiveRatios(c.ws, c.container);
        ASSERT_EQ(got.size(), c.expected.size()) << c.name;
        for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.expected[i], 1e-12) << c.name;
    }
}

TEST(ThreeColumnsRatios, AlwaysTwoWithTheGeometrysDefaults) {
    EXPECT_EQ(workspace_rules::threeColumnsRatios(
                  workspaceOf(LayoutType::threeLeftOneRightTwo, 3, std::nullopt, ThreeColumnsState{})),
              (std::vector<double>{1.0 / 3, 0.5}));
    EXPECT_EQ(workspace_rules::threeColumnsRatios(workspaceOf(LayoutType::mainSidebar, 3)),
              (std::vector<double>{0.6, 0.5}));
    EXPECT_EQ(workspace_rules::threeColumnsRatios(
                  workspaceOf(LayoutType::leftRightSplit, 2, std::vector<double>{0.3})),
              (std::vector<double>{0.3, 0.5}));
}

TEST(RectTexts, WholePointsTruncatedTowardZero) {
    EXPECT_EQ(workspace_rules::rectLog({10.9, -3.7, 800.2, 600}), "(10,-3 800×600)");
    EXPECT_EQ(workspace_rules::rectDescription({10.9, -3.7, 800.2, 600}), "x=10 y=-3 w=800 h=600");
}

TEST(PaneRect, FindsTheFirstPaneOfTheAppWhenItHasARectangle) {
    const auto ws = workspaceOf(LayoutType::threeColumns, 3);
    const std::vector<Rect> rects{{0, 0, 10, 10}, {10, 0, 10, 10}};
    EXPECT_EQ(workspace_rules::paneRect(ws.apps[1].id, ws.apps, rects), (std::pair<int, Rect>{1, rects[1]}));
    EXPECT_FALSE(workspace_rules::paneRect(ws.apps[2].id, ws.apps, rects));  // no third rectangle
    EXPECT_FALSE(workspace_rules::paneRect(Uuid::random(), ws.apps, rects));
}

class ScreenTexts : public ::testing::Test {
protected:
    void SetUp() override {
        // The primary 1440 x 900; a second 1920 x 1080 to its right, bottoms aligned.
        s.setDisplays({ControllerScenario::display({0, 0, 1440, 900}, 1),
                       ControllerScenario::display({1440, 0, 1920, 1080}, 2)});
        s.start();
    }
    ControllerScenario s;
};

TEST_F(ScreenTexts, TheSummaryListsEveryVisibleFrameInAccessibilityCoordinates) {
    EXPECT_EQ(s.probe().screensLogSummary(),
              "displays(AX): [screen0 visible=(0,25 1440×875); screen1 visible=(1440,-155 1920×1055)]");
}

TEST_F(ScreenTexts, TheDisplayOfARectangleIsTheOneHoldingItsCentre) {
    EXPECT_EQ(s.probe().displayID({100, 100, 400, 300}), 1u);
    EXPECT_EQ(s.probe().displayID({1500, 0, 400, 300}), 2u);
    // Overlapping the primary, but centred above it where no display is.
    EXPECT_EQ(s.probe().displayID({100, -400, 400, 600}), std::nullopt);
}

TEST(AppIcons, OnePerPaneAndEmptyWhereNoneCanBeHad) {
    ControllerScenario s;
    s.launchApp("Notes");
    auto ws = s.addWorkspace("Write", {"Notes", "Mail"});
    s.sim.applications.setIconRenders("/Applications/Mail.app", false);
    s.start();
    const auto icons = s.probe().appIcons(ws);
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_FALSE(icons[0].empty());
    EXPECT_TRUE(icons[1].empty());
}

}  // namespace
}  // namespace tessane::testing
