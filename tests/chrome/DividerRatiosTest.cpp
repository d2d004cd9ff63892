#include "chrome/DividerRatios.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using Axis = LayoutEngine::SplitAxis;

// An inner rectangle of the given size at (3, 3), as a container at the origin gives it.
Rect inner(double width, double height = 594) { return {3, 3, width, height}; }
// The pointer at `pos` along the first column's start, as the solver measures it.
Point at(double pos) { return {3 + 3 + pos, 300}; }

TEST(DividerRatios, ThreeColumnsPushTheOtherDividerToKeepEveryColumnAt320) {
    auto r = DividerRatios::afterDrag(LayoutType::threeColumns, inner(1200), {1.0 / 3, 0.5}, 0, Axis::column, at(600));
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ((*r)[0], 548.0 / 1194);
    EXPECT_DOUBLE_EQ((*r)[1], 0.5) << "second and third columns both 320";

    // The second divider moved where both columns keep room: the first stays.
    r = DividerRatios::afterDrag(LayoutType::threeColumns, inner(1200), {1.0 / 3, 0.5}, 1, Axis::column, at(800));
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ((*r)[0], 398.0 / 1194);
    EXPECT_DOUBLE_EQ((*r)[1], 396.0 / 790);

    // Dragged to 600 it pushes the first column down to its minimum and stops at 646.
    r = DividerRatios::afterDrag(LayoutType::threeColumns, inner(1200), {1.0 / 3, 0.5}, 1, Axis::column, at(600));
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ((*r)[0], 320.0 / 1194);
    EXPECT_DOUBLE_EQ((*r)[1], 320.0 / 868);

    // Pulled past the right edge: the third column keeps 320.
    r = DividerRatios::afterDrag(LayoutType::threeColumns, inner(1200), {1.0 / 3, 0.5}, 1, Axis::column, at(1150));
    ASSERT_TRUE(r);
    const double a2 = (*r)[0] * 1194, e2 = 1194 - 320.0;
    EXPECT_NEAR((*r)[1], (e2 - a2 - 6) / ((e2 - a2 - 6) + 320), 1e-12);

    // Pushed against the left edge: the first column stays 320.
    r = DividerRatios::afterDrag(LayoutType::threeColumns, inner(1200), {1.0 / 3, 0.5}, 0, Axis::column, at(10));
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ((*r)[0], 320.0 / 1194);
}

TEST(DividerRatios, ThreeColumnsTooNarrowAndEveryOtherLayoutTooShortChangeNothingOrCentre) {
    for (int k : {0, 1})
        for (double pos : {0.0, 300.0, 600.0, 972.0})
            EXPECT_FALSE(DividerRatios::afterDrag(LayoutType::threeColumns, inner(972), {1.0 / 3, 0.5}, k,
                                                  Axis::column, at(pos)));
    // Two panes at 994: the ratio stays within [320/988, 668/988].
    for (double x : {0.0, 100.0, 500.0, 900.0, 2000.0}) {
        auto r = DividerRatios::afterDrag(LayoutType::leftRightSplit, inner(994), {0.5}, 0, Axis::column, {x, 300});
        ASSERT_TRUE(r);
        EXPECT_GE((*r)[0], 320.0 / 988 - 1e-12) << x;
        EXPECT_LE((*r)[0], 668.0 / 988 + 1e-12) << x;
    }
    auto free = DividerRatios::afterDrag(LayoutType::leftRightSplit, inner(994), {0.5}, 0, Axis::column, {403, 300});
    EXPECT_DOUBLE_EQ((*free)[0], 397.0 / 988) << "inside the band the pointer is followed exactly";
    for (double x : {0.0, 150.0, 590.0}) {
        auto r = DividerRatios::afterDrag(LayoutType::leftRightSplit, inner(600), {0.3}, 0, Axis::column, {x, 300});
        EXPECT_EQ(*r, (std::vector<double>{0.5})) << "600 wide: centred wherever the pointer is";
    }
    EXPECT_FALSE(DividerRatios::afterDrag(LayoutType::leftRightSplit, inner(6), {0.5}, 0, Axis::column, {3, 3}));
}

TEST(DividerRatios, RowsCountFromTheTopAndMissingRatiosArePadded) {
    // Inner (3, 3, 994, 994): 200 points below its top edge is y = 997 - 200.
    auto r = DividerRatios::afterDrag(LayoutType::grid2x2, inner(994, 994), {}, 1, Axis::row, {500, 997 - 400});
    ASSERT_TRUE(r);
    ASSERT_EQ(r->size(), 2u);
    EXPECT_DOUBLE_EQ((*r)[0], 0.5) << "the untouched ratio gets its default";
    EXPECT_DOUBLE_EQ((*r)[1], 397.0 / 988);

    EXPECT_EQ(DividerRatios::padded({}, 2, LayoutType::threeColumns), (std::vector<double>{1.0 / 3, 0.5}));
    EXPECT_EQ(DividerRatios::padded({}, 1, LayoutType::mainSidebar), (std::vector<double>{0.6}));
    EXPECT_EQ(DividerRatios::padded({0.7}, 3, LayoutType::leftRightSplit), (std::vector<double>{0.7, 0.5, 0.5}));
    EXPECT_EQ(DividerRatios::ratioCount(LayoutType::topBottomSplit), 1);
    EXPECT_EQ(DividerRatios::ratioCount(LayoutType::threeTopTwoBottomOne), 2);

    // A handle index beyond the layout's own count pads up to it.
    r = DividerRatios::afterDrag(LayoutType::leftRightSplit, inner(994), {}, 2, Axis::column, {500, 300});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->size(), 3u);
}

}  // namespace
}  // namespace tessane
