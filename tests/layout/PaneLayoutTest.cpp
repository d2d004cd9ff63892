#include "layout/LayoutEngine.h"

#include "layout/LayoutPrinters.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using namespace LayoutEngine;

constexpr auto kColumn = SplitAxis::column;
constexpr auto kRow = SplitAxis::row;

TEST(PaneLayoutExamples, DegenerateInputGivesTheEmptyLayout) {
    struct Case {
        const char* name;
        Rect container;
        int count;
    };
    const std::vector<Case> cases = {
        {"no apps", {0, 0, 1000, 800}, 0},
        {"negative count", {0, 0, 1000, 800}, -2},
        {"zero width", {0, 0, 0, 800}, 3},
        {"zero height", {0, 0, 1000, 0}, 3},
        {"null container", Rect::null(), 2},
    };
    for (LayoutType type : layout_types::allCases()) {
        for (const Case& c : cases) {
            EXPECT_EQ(paneLayout(type, c.container, c.count, std::nullopt, 6, 0, false, 16),
                      PaneLayout{})
                << toString(type) << ": " << c.name;
        }
    }
}

TEST(PaneLayoutExamples, TwoColumnsWithAHandleCentredOnTheGutter) {
    const Rect c(0, 0, 1006, 800);
    const PaneLayout l = paneLayout(LayoutType::leftRightSplit, c, 2, std::nullopt, 6, 0, false, 16);
    EXPECT_EQ(l.paneFrames, (std::vector<Rect>{{0, 0, 500, 800}, {506, 0, 500, 800}}));
    EXPECT_EQ(l.appFrames, l.paneFrames) << "no inset";
    EXPECT_EQ(l.gutters, (std::vector<SplitGutter>{{kColumn, 0, {500, 0, 6, 800}}}));
    EXPECT_EQ(l.handles, (std::vector<SplitHandleSpec>{{kColumn, 0, {495, 0, 16, 800}}}));

    // No thickness: the handle is the gutter; a thinner one than the gutter: still the gutter.
    for (std::optional<double> t : {std::optional<double>(), std::optional<double>(2)}) {
        const PaneLayout thin = paneLayout(LayoutType::leftRightSplit, c, 2, std::nullopt, 6, 0, false, t);
        ASSERT_EQ(thin.handles.size(), 1u);
        EXPECT_EQ(thin.handles[0].rect, Rect(500, 0, 6, 800));
    }
}

TEST(PaneLayoutExamples, StoredRatiosAreClampedToKeepBothPanes) {
    const Rect c(0, 0, 1006, 800);
    struct Case {
        double ratio;
        double leftWidth;
    };
    for (const Case& k : {Case{0.99, 950}, Case{0.0, 50}, Case{-3, 50}, Case{0.25, 250},
                          Case{0.95, 950}}) {
        const PaneLayout l =
            paneLayout(LayoutType::leftRightSplit, c, 2, std::vector<double>{k.ratio}, 6, 0, false);
        ASSERT_EQ(l.paneFrames.size(), 2u);
        EXPECT_DOUBLE_EQ(l.paneFrames[0].width(), k.leftWidth) << k.ratio;
        EXPECT_DOUBLE_EQ(l.paneFrames[1].width(), 1000 - k.leftWidth) << k.ratio;
    }
}

TEST(PaneLayoutExamples, ThreeOrMoreColumnsAreEqualAndHaveNoHandle) {
    const PaneLayout l = paneLayout(LayoutType::leftRightSplit, {0, 0, 1012, 600}, 3,
                                    std::vector<double>{0.8}, 6, 0, false, 16);
    EXPECT_EQ(l.paneFrames,
              (std::vector<Rect>{{0, 0, 1000.0 / 3, 600},
                                 {1000.0 / 3 + 6, 0, 1000.0 / 3, 600},
                                 {2 * (1000.0 / 3 + 6), 0, 1000.0 / 3, 600}}));
    ASSERT_EQ(l.gutters.size(), 2u);
    EXPECT_EQ(l.gutters[0].ratioIndex, std::nullopt);
    EXPECT_EQ(l.gutters[1].ratioIndex, std::nullopt);
    EXPECT_TRUE(l.handles.empty());
}

TEST(PaneLayoutExamples, OneLeftTwoRightInBothRowDirections) {
    const Rect c(0, 0, 1006, 806);
    const PaneLayout down = paneLayout(LayoutType::threeLeftOneRightTwo, c, 3, std::nullopt, 6, 0,
                                       /*firstRowAtMinY=*/true);
    EXPECT_EQ(down.paneFrames,
              (std::vector<Rect>{{0, 0, 500, 806}, {506, 0, 500, 400}, {506, 406, 500, 400}}));
    EXPECT_EQ(down.gutters, (std::vector<SplitGutter>{{kColumn, 0, {500, 0, 6, 806}},
                                                      {kRow, 1, {506, 400, 500, 6}}}));
    EXPECT_EQ(down.handles, (std::vector<SplitHandleSpec>{{kColumn, 0, {500, 0, 6, 806}},
                                                          {kRow, 1, {506, 400, 500, 6}}}));

    const PaneLayout up = paneLayout(LayoutType::threeLeftOneRightTwo, c, 3, std::nullopt, 6, 0,
                                     /*firstRowAtMinY=*/false);
    EXPECT_EQ(up.paneFrames,
              (std::vector<Rect>{{0, 0, 500, 806}, {506, 406, 500, 400}, {506, 0, 500, 400}}));
    EXPECT_EQ(up.gutters, down.gutters) << "the row gutter sits in the middle either way";
}

TEST(PaneLayoutExamples, MainSidebarSharesTheSidebarEqually) {
    const PaneLayout l =
        paneLayout(LayoutType::mainSidebar, {0, 0, 1006, 918}, 4, std::nullopt, 6, 0, true, 12);
    ASSERT_EQ(l.paneFrames.size(), 4u);
    EXPECT_EQ(l.paneFrames[0], Rect(0, 0, 600, 918)) << "0.6 of the width after the gutter";
    EXPECT_EQ(l.paneFrames[1], Rect(606, 0, 400, 302));
    EXPECT_EQ(l.paneFrames[2], Rect(606, 308, 400, 302));
    EXPECT_EQ(l.paneFrames[3], Rect(606, 616, 400, 302));
    EXPECT_EQ(l.gutters, (std::vector<SplitGutter>{{kColumn, 0, {600, 0, 6, 918}},
                                                   {kRow, std::nullopt, {606, 302, 400, 6}},
                                                   {kRow, std::nullopt, {606, 610, 400, 6}}}));
    EXPECT_EQ(l.handles, (std::vector<SplitHandleSpec>{{kColumn, 0, {597, 0, 12, 918}}}));

    const PaneLayout one =
        paneLayout(LayoutType::mainSidebar, {0, 0, 1006, 918}, 1, std::nullopt, 6, 0, true);
    EXPECT_EQ(one.paneFrames, (std::vector<Rect>{{0, 0, 1006, 918}}));
    EXPECT_TRUE(one.gutters.empty());
}

TEST(PaneLayoutExamples, GridOfThreeHasAFullWidthBottomAndTheRowHandleFirst) {
    const PaneLayout l = paneLayout(LayoutType::grid2x2, {0, 0, 1006, 806},
                                    3, std::vector<double>{0.5, 0.75}, 6, 0, false, 16);
    // Screen coordinates (y up): the first row is the top one, 0.75 of the height.
    EXPECT_EQ(l.paneFrames,
              (std::vector<Rect>{{0, 206, 500, 600}, {506, 206, 500, 600}, {0, 0, 1006, 200}}));
    EXPECT_EQ(l.gutters, (std::vector<SplitGutter>{{kRow, 1, {0, 200, 1006, 6}},
                                                   {kColumn, 0, {500, 206, 6, 600}}}));
    EXPECT_EQ(l.handles, (std::vector<SplitHandleSpec>{{kRow, 1, {0, 195, 1006, 16}},
                                                       {kColumn, 0, {495, 206, 16, 600}}}));
}

TEST(PaneLayoutExamples, GridOfFourOrMoreHasOneDividerAcrossBothRows) {
    const Rect c(10, 20, 1006, 806);
    const PaneLayout l = paneLayout(LayoutType::grid2x2, c, 5,
                                    std::vector<double>{0.3, 0.5}, 6, 0, true);
    ASSERT_EQ(l.paneFrames.size(), 4u) << "never more than four panes";
    EXPECT_EQ(l.paneFrames[0], Rect(10, 20, 300, 400));
    EXPECT_EQ(l.paneFrames[1], Rect(316, 20, 700, 400));
    EXPECT_EQ(l.paneFrames[2], Rect(10, 426, 300, 400));
    EXPECT_EQ(l.paneFrames[3], Rect(316, 426, 700, 400));
    EXPECT_EQ(l.gutters, (std::vector<SplitGutter>{{kRow, 1, {10, 420, 1006, 6}},
                                                   {kColumn, 0, {310, 20, 6, 806}}}));
    EXPECT_EQ(l.handles.size(), 2u);
}

TEST(PaneLayoutExamples, ThreeColumnsIgnoresTheCountAndDefaultsToThirds) {
    const double w = 1212, g = 6;
    const PaneLayout l =
        paneLayout(LayoutType::threeColumns, {0, 0, w, 700}, 4, std::nullopt, g, 0, false);
    ASSERT_EQ(l.paneFrames.size(), 3u);
    EXPECT_DOUBLE_EQ(l.paneFrames[0].width(), (w - g) / 3);
    EXPECT_DOUBLE_EQ(l.paneFrames[1].width(), (w - g) / 3 - g / 2);
    EXPECT_DOUBLE_EQ(l.paneFrames[2].width(), (w - g) / 3 - g / 2);
    EXPECT_DOUBLE_EQ(l.paneFrames[2].maxX(), w);
    ASSERT_EQ(l.handles.size(), 2u);
    EXPECT_EQ(l.handles[0].ratioIndex, 0);
    EXPECT_EQ(l.handles[1].ratioIndex, 1);
}

TEST(PaneLayoutExamples, ThreePaneTypesPlaceEachPaneWhereItsNameSays) {
    // Accessibility coordinates (first row at min y); ratios give uneven splits so that a
    // swapped ratio or pane shows up.
    const Rect c(0, 0, 1006, 806);
    const std::vector<double> ratios{0.25, 0.75};
    struct Case {
        LayoutType type;
        std::vector<Rect> panes;
        std::vector<SplitGutter> gutters;
    };
    const std::vector<Case> cases = {
        {LayoutType::threeTopTwoBottomOne,
         {{0, 0, 750, 200}, {756, 0, 250, 200}, {0, 206, 1006, 600}},
         {{kRow, 0, {0, 200, 1006, 6}}, {kColumn, 1, {750, 0, 6, 200}}}},
        {LayoutType::threeTopOneBottomTwo,
         {{0, 0, 1006, 200}, {0, 206, 750, 600}, {756, 206, 250, 600}},
         {{kRow, 0, {0, 200, 1006, 6}}, {kColumn, 1, {750, 206, 6, 600}}}},
        {LayoutType::threeLeftTwoRightOne,
         {{0, 0, 250, 600}, {0, 606, 250, 200}, {256, 0, 750, 806}},
         {{kColumn, 0, {250, 0, 6, 806}}, {kRow, 1, {0, 600, 250, 6}}}},
        {LayoutType::threeLeftOneRightTwo,
         {{0, 0, 250, 806}, {256, 0, 750, 600}, {256, 606, 750, 200}},
         {{kColumn, 0, {250, 0, 6, 806}}, {kRow, 1, {256, 600, 750, 6}}}},
        {LayoutType::threeColumns,
         {{0, 0, 250, 806}, {256, 0, 558, 806}, {820, 0, 186, 806}},
         {{kColumn, 0, {250, 0, 6, 806}}, {kColumn, 1, {814, 0, 6, 806}}}},
    };
    for (const Case& k : cases) {
        const PaneLayout l = paneLayout(k.type, c, 3, ratios, 6, 0, true);
        EXPECT_EQ(l.paneFrames, k.panes) << toString(k.type);
        EXPECT_EQ(l.gutters, k.gutters) << toString(k.type);
    }
}

TEST(PaneLayoutExamples, AppFramesAreInsetPanes) {
    const PaneLayout l = paneLayout(LayoutType::leftRightSplit, {0, 0, 1006, 800}, 2,
                                    std::vector<double>{0.05}, 6, 30, false);
    // The left pane is 50 wide: a 30-point inset leaves nothing, which is the null rectangle.
    EXPECT_TRUE(l.appFrames[0].isNull());
    EXPECT_EQ(l.appFrames[1], Rect(86, 30, 890, 740));
}

TEST(PaneLayoutExamples, TinyContainersGiveZeroLengthPanesNotNegativeOnes) {
    const PaneLayout l =
        paneLayout(LayoutType::leftRightSplit, {0, 0, 10, 100}, 4, std::nullopt, 6, 0, false);
    ASSERT_EQ(l.paneFrames.size(), 4u);
    for (const Rect& p : l.paneFrames) EXPECT_EQ(p.size.width, 0);
}

TEST(ContentToFitApps, StacksForTopBottomAndLinesUpOtherwise) {
    const std::vector<Size> sizes{{800, 600}, {500, 700}, {300, 200}};
    EXPECT_EQ(contentToFitApps(LayoutType::topBottomSplit, sizes, 6), (Size{800, 1512}));
    EXPECT_EQ(contentToFitApps(LayoutType::leftRightSplit, sizes, 6), (Size{1612, 700}));
    EXPECT_EQ(contentToFitApps(LayoutType::grid2x2, sizes, 6), (Size{1612, 700}));
    EXPECT_EQ(contentToFitApps(LayoutType::mainSidebar, {}, 6), (Size{0, 0}));
    EXPECT_EQ(contentToFitApps(LayoutType::topBottomSplit, {{400, 300}}, 6), (Size{400, 300}));
}

}  // namespace
}  // namespace tessane
