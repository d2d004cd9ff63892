#include "layout/LayoutEngine.h"

#include "layout/LayoutPrinters.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using namespace LayoutEngine;
using Ratios = std::optional<std::vector<double>>;

TEST(RatioValue, ReadsStoredValuesAndFallsBackPerType) {
    struct Case {
        Ratios ratios;
        int index;
        LayoutType type;
        double expected;
    };
    const std::vector<Case> cases = {
        {std::nullopt, 0, LayoutType::mainSidebar, 0.6},
        {std::vector<double>{}, 0, LayoutType::threeColumns, 1.0 / 3},
        {std::vector<double>{0.7}, 1, LayoutType::grid2x2, 0.5},
        {std::vector<double>{0.9}, -1, LayoutType::mainSidebar, 0.5},
        {std::nullopt, 1, LayoutType::mainSidebar, 0.5},
        {std::nullopt, 1, LayoutType::threeColumns, 0.5},
        {std::nullopt, 0, LayoutType::leftRightSplit, 0.5},
        {std::vector<double>{0.2, 0.8}, 1, LayoutType::threeColumns, 0.8},
        // Stored values come back unclamped; the splits clamp for themselves.
        {std::vector<double>{1.7}, 0, LayoutType::leftRightSplit, 1.7},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(ratioValue(c.ratios, c.index, c.type), c.expected)
            << toString(c.type) << " index " << c.index;
    }
}

TEST(ClampSplitRatio, KeepsBothPanesUsable) {
    struct Case {
        double ratio, available, minPane, expected;
    };
    const std::vector<Case> cases = {
        {0.02, 1000, 200, 0.2},
        {0.98, 1000, 200, 0.8},
        {0.45, 1000, 200, 0.45},
        {0.7, 0, 200, 0.5},
        {0.7, -5, 200, 0.5},
        // Minimum panes would leave 20 points of travel: 320 points apply instead.
        {0.1, 1000, 490, 0.32},
        {0.9, 1000, 490, 0.68},
        // Exactly 24 points of travel is still enough.
        {0.1, 1000, 488, 0.488},
        // Too short even for two 320-point panes: centred.
        {0.1, 600, 490, 0.5},
        {0.1, 639, 310, 0.5},
        {0.1, 700, 340, 320.0 / 700},
        {0.1, 640, 310, 0.5},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(clampSplitRatio(c.ratio, c.available, c.minPane), c.expected)
            << c.ratio << " of " << c.available << ", min " << c.minPane;
    }
}

TEST(Segments, SplitOneLength) {
    struct Case {
        const char* name;
        double total;
        int count;
        double spacing, ratio;
        std::vector<Segment> expected;
    };
    const std::vector<Case> cases = {
        {"none", 100, 0, 6, 0.5, {}},
        {"one keeps all", 100, 1, 6, 0.2, {{0, 100}}},
        {"two by ratio", 106, 2, 6, 0.3, {{0, 30}, {36, 70}}},
        {"ratio clamped", 106, 2, 6, 0.01, {{0, 5}, {11, 95}}},
        {"three equal, ratio ignored", 112, 3, 6, 0.9, {{0, 100.0 / 3}, {100.0 / 3 + 6, 100.0 / 3},
                                                        {2 * (100.0 / 3 + 6), 100.0 / 3}}},
        {"spacing larger than the length", 4, 2, 6, 0.5, {{0, 0}, {6, 0}}},
    };
    for (const Case& c : cases) EXPECT_EQ(segments(c.total, c.count, c.spacing, c.ratio), c.expected) << c.name;
}

TEST(Grid, FillsRowsFromTheMinimumYEdge) {
    const Rect r(10, 20, 206, 106);
    EXPECT_EQ(grid(r, 1, 6, 0.5, 0.5), (std::vector<Rect>{r}));
    EXPECT_EQ(grid(r, 0, 6, 0.5, 0.5), (std::vector<Rect>{r}));
    EXPECT_EQ(grid(r, 2, 6, 0.25, 0.5),
              (std::vector<Rect>{{10, 20, 50, 106}, {66, 20, 150, 106}}));
    // Three: the two split rectangles share the minimum-y row, the full-width one is the other.
    EXPECT_EQ(grid(r, 3, 6, 0.5, 0.3),
              (std::vector<Rect>{{10, 20, 100, 30}, {116, 20, 100, 30}, {10, 56, 206, 70}}));
    const std::vector<Rect> four{{10, 20, 100, 50}, {116, 20, 100, 50},
                                 {10, 76, 100, 50}, {116, 76, 100, 50}};
    EXPECT_EQ(grid(r, 4, 6, 0.5, 0.5), four);
    EXPECT_EQ(grid(r, 7, 6, 0.5, 0.5), four) << "at most four";
    // Ratios are clamped before use.
    EXPECT_EQ(grid(r, 2, 6, 1.5, 0.5), (std::vector<Rect>{{10, 20, 190, 106}, {206, 20, 10, 106}}));
}

TEST(MainSidebarRects, MainOnTheLeftAndEqualSidebarRows) {
    const Rect r(0, 0, 1006, 606);
    EXPECT_EQ(mainSidebar(r, 1, 6, 0.6), (std::vector<Rect>{r}));
    EXPECT_EQ(mainSidebar(r, 2, 6, 0.6), (std::vector<Rect>{{0, 0, 600, 606}, {606, 0, 400, 606}}));
    EXPECT_EQ(mainSidebar(r, 3, 6, 0.6),
              (std::vector<Rect>{{0, 0, 600, 606}, {606, 0, 400, 300}, {606, 306, 400, 300}}));
    EXPECT_EQ(mainSidebar(r, 3, 6, 0.0)[0].width(), 50) << "ratio clamped";
}

TEST(MatStripRects, FindsWhatNoPaneCovers) {
    const Rect c(0, 0, 100, 100);
    // One pane in the middle: left and right strips of full height, lower and upper ones only
    // as wide as the pane.
    EXPECT_EQ(matStripRects(c, {{30, 40, 20, 10}}),
              (std::vector<Rect>{{0, 0, 30, 100}, {50, 0, 50, 100}, {30, 0, 20, 40},
                                 {30, 50, 20, 50}}));
    // Panes that leave only gaps of half a point or less: nothing.
    EXPECT_TRUE(matStripRects(c, {{0, 0, 49.75, 100}, {50.25, 0, 49.75, 100}}).empty());
    EXPECT_TRUE(matStripRects(c, {{0, 0, 100, 49.5}, {0, 50, 100, 50}}).empty());
    // A wider gap between two columns, and a pane hanging out of the container.
    EXPECT_EQ(matStripRects(c, {{0, 0, 45, 100}, {55, -10, 60, 120}}),
              (std::vector<Rect>{{45, 0, 10, 100}}));
    // No panes: the whole container. A pane elsewhere: nothing cut away.
    EXPECT_EQ(matStripRects(c, {}), (std::vector<Rect>{c}));
    EXPECT_EQ(matStripRects(c, {{200, 200, 10, 10}}), (std::vector<Rect>{c}));
}

// The strips and the panes together cover the container, without overlapping each other.
TEST(MatStripRects, StripsAndPanesTileTheContainer) {
    const Rect c(-20, 10, 1006, 806);
    for (LayoutType type : layout_types::allCases()) {
        for (int n = 1; n <= 5; ++n) {
            const PaneLayout l = paneLayout(type, c, n, std::nullopt, 6, 0, false);
            const std::vector<Rect> strips = matStripRects(c, l.paneFrames);
            double covered = 0;
            for (const Rect& p : l.paneFrames) covered += p.width() * p.height();
            for (size_t i = 0; i < strips.size(); ++i) {
                covered += strips[i].width() * strips[i].height();
                for (const Rect& p : l.paneFrames) EXPECT_FALSE(strips[i].intersects(p));
                for (size_t j = i + 1; j < strips.size(); ++j)
                    EXPECT_FALSE(strips[i].intersects(strips[j]));
            }
            EXPECT_NEAR(covered, c.width() * c.height(), 1e-6) << toString(type) << " n=" << n;
        }
    }
}

}  // namespace
}  // namespace tessane
