// The arithmetic of gestures, as tables: drops, zooms, resizes, divider fixes, minimum samples,
// the bounce and keeping windows on screen.
#include "controller/GestureRules.h"
#include "controller/WorkspaceController.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using GestureRules::ResizeReflow;
using Kind = ResizeReflow::Kind;

// Two side-by-side panes of 594 x 694 with a 6 pt gutter, in the inner rectangle of a
// {40, 60, 1200, 700} container.
const Rect kInner{43, 63, 1194, 694};
const std::vector<Rect> kPanes{{43, 63, 594, 694}, {643, 63, 594, 694}};

std::optional<std::pair<int, int>> swap(std::vector<std::optional<Rect>> frames, std::optional<Point> pointer,
                                        const std::vector<GestureRules::WindowSizing>& sizings = {}) {
    return GestureRules::paneSwap(kPanes, frames, sizings, pointer, 12, 8);
}

TEST(PaneSwap, TheWindowLandsInThePaneUnderThePointerOrItsCentre) {
    const Rect dragged = kPanes[0].offsetBy(560, 0);
    EXPECT_EQ(swap({dragged, kPanes[1]}, Point{900, 400}), (std::pair{0, 1}));
    // Pointer given: it decides, not the window's centre.
    EXPECT_EQ(swap({dragged, kPanes[1]}, Point{300, 400}), std::nullopt);
    // Within 32 pt of the large pane's edge (here: in the gutter) is inside no pane.
    EXPECT_EQ(swap({dragged, kPanes[1]}, Point{640, 400}), std::nullopt);
    EXPECT_EQ(swap({dragged, kPanes[1]}, Point{643 + 31, 400}), std::nullopt);
    EXPECT_EQ(swap({dragged, kPanes[1]}, Point{643 + 33, 400}), (std::pair{0, 1}));
    // Without a pointer, a window across the gutter counts for the pane it mostly covers.
    EXPECT_EQ(swap({kPanes[0].offsetBy(400, 0), kPanes[1]}, std::nullopt), (std::pair{0, 1}));
    EXPECT_EQ(swap({kPanes[0].offsetBy(200, 0), kPanes[1]}, std::nullopt), std::nullopt);
}

TEST(PaneSwap, ResizesTwoMovedWindowsAndSmallMovesAreNoDrop) {
    const Point over{900, 400};
    EXPECT_EQ(swap({Rect{603, 63, 604, 694}, kPanes[1]}, over), std::nullopt);           // 10 pt wider
    // Resting 10 pt short in 16 pt rows or at a height of its own is no resize; shrunk by the user is.
    const Rect rows = Rect{43, 63, 594, 684}.offsetBy(560, 0);
    const GestureRules::WindowSizing steps{std::nullopt, Size{6, 16}}, kept{Size{594, 679}, std::nullopt};
    EXPECT_EQ(swap({rows, kPanes[1]}, over, {steps}), (std::pair{0, 1}));
    EXPECT_EQ(swap({kPanes[0].offsetBy(560, 0), Rect{643, 63, 594, 679}}, over, {{}, kept}), (std::pair{0, 1}));
    EXPECT_EQ(swap({Rect{603, 63, 594, 600}, kPanes[1]}, over, {{Size{594, 684}, Size{6, 16}}}), std::nullopt);
    EXPECT_EQ(swap({kPanes[0].offsetBy(560, 0), kPanes[1].offsetBy(-20, 0)}, over), std::nullopt);
    EXPECT_EQ(swap({kPanes[0].offsetBy(12, 12), kPanes[1]}, over), std::nullopt);       // within 12 pt
    EXPECT_EQ(swap({kPanes[0].offsetBy(560, 0), std::nullopt}, over), (std::pair{0, 1}));  // unreadable
    EXPECT_EQ(GestureRules::paneSwap({kPanes[0]}, {kPanes[0]}, {}, over, 12, 8), std::nullopt);
}

TEST(ZoomedPane, OnlyAnUndraggedChangedWindowOverMostOfTheWorkspace) {
    const Uuid a = Uuid::random(), b = Uuid::random();
    const Rect zoomed{0, 25, 1440, 875};
    const std::vector<std::optional<Rect>> frames{kPanes[0], zoomed};
    EXPECT_EQ(GestureRules::zoomedPane(kPanes, frames, {a, b}, {}, {}), 1);
    EXPECT_EQ(GestureRules::zoomedPane(kPanes, frames, {a, b}, {}, {b}), std::nullopt);  // by the pointer
    EXPECT_EQ(GestureRules::zoomedPane(kPanes, frames, {a, b}, {{b, {1441, 874}}}, {}), std::nullopt);
    EXPECT_EQ(GestureRules::zoomedPane(kPanes, frames, {a, b}, {{b, {1437, 875}}}, {}), 1);
    EXPECT_EQ(GestureRules::zoomedPane(kPanes, {kPanes[0], Rect{643, 63, 800, 694}}, {a, b}, {}, {}),
              std::nullopt);
    EXPECT_EQ(GestureRules::zoomedPane(kPanes, {kPanes[0]}, {a, b}, {}, {}), std::nullopt);
}

ResizeReflow reflow(std::vector<std::optional<Rect>> frames, std::vector<double> stored = {},
                    LayoutType type = LayoutType::leftRightSplit, const Rect& inner = kInner,
                    const std::vector<Rect>& panes = kPanes) {
    return GestureRules::reflowFromResize(type, type, inner, panes, frames, {}, {0.5}, stored);
}

TEST(ReflowFromResize, AGutterEdgeMovesItsRatioABoundaryEdgeTheContainer) {
    // The left window's right edge 100 pt to the right: the gutter's centre 3 pt right of it.
    const auto ratio = reflow({Rect{43, 63, 694, 694}, kPanes[1]});
    EXPECT_EQ(ratio.kind, Kind::ratios);
    ASSERT_EQ(ratio.ratios.size(), 1u);
    EXPECT_NEAR(ratio.ratios[0], 694.0 / 1188, 1e-12);

    // Its left edge 50 pt to the left: the container widens by 50 pt on that side.
    EXPECT_EQ(reflow({Rect{-7, 63, 644, 694}, kPanes[1]}), (ResizeReflow{Kind::container, {-10, 60, 1250, 700}, {}}));

    // Both at once: the larger move wins, a tie goes to the container.
    EXPECT_EQ(reflow({Rect{13, 63, 724, 694}, kPanes[1]}).kind, Kind::ratios);     // boundary 30, gutter 100
    EXPECT_EQ(reflow({Rect{-57, 63, 744, 694}, kPanes[1]}).kind, Kind::container);  // boundary 100, gutter 50
    EXPECT_EQ(reflow({Rect{-7, 63, 694, 694}, kPanes[1]}).kind, Kind::container);   // 50 and 50
}

TEST(ReflowFromResize, TheLargerOfTwoMovesAtOneGutterAndTheClamps) {
    // Both windows' edges at the one gutter: the larger move (Mail's, 200 pt) sets the ratio.
    const auto both = reflow({Rect{43, 63, 694, 694}, Rect{443, 63, 794, 694}});
    ASSERT_EQ(both.kind, Kind::ratios);
    EXPECT_NEAR(both.ratios[0], (440.0 - 43 - 3) / 1188, 1e-12);

    // A pane under 320 pt is not allowed.
    const auto clamped = reflow({Rect{43, 63, 1000, 694}, kPanes[1]});
    EXPECT_NEAR(clamped.ratios[0], 1 - 320.0 / 1188, 1e-12);

    // Under 640 pt to share: the ratio is 0.5.
    const Rect narrow{43, 63, 606, 400};
    const std::vector<Rect> panes{{43, 63, 300, 400}, {349, 63, 300, 400}};
    const auto half =
        reflow({Rect{43, 63, 200, 400}, panes[1]}, {0.3}, LayoutType::leftRightSplit, narrow, panes);
    EXPECT_EQ(half, (ResizeReflow{Kind::ratios, {}, {0.5}}));
}

TEST(ReflowFromResize, SmallMovesAndMovesWithoutAResizeChangeNothing) {
    EXPECT_EQ(reflow({kPanes[0].offsetBy(100, 0), kPanes[1]}).kind, Kind::notResized);
    EXPECT_EQ(reflow({Rect{39, 59, 602, 702}, kPanes[1]}).kind, Kind::unchanged);  // 4 pt on every side
    // A grid's later ratio is kept from the stored list; a missing one takes the default.
    const std::vector<Rect> grid{{43, 63, 594, 344}, {643, 63, 594, 344}, {43, 413, 594, 344}, {643, 413, 594, 344}};
    const auto rows = GestureRules::reflowFromResize(LayoutType::grid2x2, LayoutType::grid2x2, kInner, grid,
                                                     {Rect{43, 63, 594, 364}, grid[1], grid[2], grid[3]}, {},
                                                     {0.5, 0.5}, {0.4});
    ASSERT_EQ(rows.kind, Kind::ratios);
    EXPECT_NEAR(rows.ratios[0], 0.4, 1e-12);
    EXPECT_NEAR(rows.ratios[1], 364.0 / 688, 1e-12);
}

TEST(ReflowFromResize, OnlyAChangeOfSizeTheWindowCouldMakeIsAResize) {
    using Sizing = GestureRules::WindowSizing;
    // A terminal resting 7 pt short of its pane's height (13 pt rows), and a window that keeps a
    // size 7 pt narrower than its pane of its own accord, as they were last seen.
    const Rect stepped{43, 63, 594, 687};
    const Sizing steps{Size{594, 687}, Size{6, 13}};
    const Rect narrow{643, 63, 587, 694};
    const Sizing kept{narrow.size, std::nullopt};
    const Sizing placed{kPanes[1].size, std::nullopt};
    struct Case {
        const char* what;
        std::vector<std::optional<Rect>> frames;
        std::vector<Sizing> sizings;
        ResizeReflow expected;
    } cases[] = {
        {"the other window moved", {stepped, kPanes[1].offsetBy(160, 140)}, {steps, placed}, {}},
        {"nothing moved", {stepped, kPanes[1]}, {steps, placed}, {}},
        {"a window never seen, short by less than a step", {stepped, kPanes[1]}, {{std::nullopt, Size{6, 13}}, {}}, {}},
        {"a kept size, the other window moved", {kPanes[0].offsetBy(160, 140), narrow}, {{}, kept}, {}},
        // Real resizes beside (or of) a window resting short of its pane move only what they moved.
        {"the right edge of the other window", {stepped, Rect{643, 63, 644, 694}}, {steps, placed},
         {Kind::container, {40, 60, 1250, 700}, {}}},
        {"the right edge of the stepped window", {kPanes[0], Rect{643, 63, 644, 687}}, {{}, steps},
         {Kind::container, {40, 60, 1250, 700}, {}}},
        {"a kept size that changed", {kPanes[0], Rect{643, 63, 644, 694}}, {{}, kept},
         {Kind::container, {40, 60, 1250, 700}, {}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GestureRules::reflowFromResize(LayoutType::leftRightSplit, LayoutType::leftRightSplit, kInner, kPanes,
                                                 c.frames, c.sizings, {0.5}, {}),
                  c.expected)
            << c.what;
}

std::map<int, double> fixes(std::vector<Size> sizes, std::vector<double> ratios = {0.5},
                            LayoutType type = LayoutType::leftRightSplit) {
    return GestureRules::dividerFixes(type, type, kInner, ratios, sizes);
}

TEST(DividerFixes, ASpillOfMoreThan24PtMovesTheDivider) {
    EXPECT_TRUE(fixes({{594 + 24, 694}, {594, 694}}).empty());
    const auto moved = fixes({{594 + 24.5, 694}, {594, 694}});
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_NEAR(moved.at(0), 618.5 / 1188, 1e-12);
    // The pane after the gutter wins a tie.
    EXPECT_NEAR(fixes({{644, 694}, {644, 694}}).at(0), 1 - 644.0 / 1188, 1e-12);
    // A left window that insists on 900 pt, within the other pane's 320 pt.
    EXPECT_NEAR(fixes({{900, 694}, {400, 694}}).at(0), 1 - 320.0 / 1188, 1e-12);
    EXPECT_NEAR(fixes({{800, 694}, {300, 694}}).at(0), 800.0 / 1188, 1e-12);
    // Any unreadable window cancels every fix; main + sidebar never reconciles.
    EXPECT_TRUE(fixes({{900, 694}, {0, 0}}).empty());
    EXPECT_TRUE(fixes({{900, 694}, {400, 694}}, {0.5}, LayoutType::mainSidebar).empty());
}

TEST(DividerFixes, LaterDividersSeeTheEarlierFixes) {
    // Two left panes stacked, one right: the outer divider moves for the wide top-left window,
    // and the inner one, judged in the panes that fix made, moves up as far as the top pane's
    // 320 pt allow.
    const auto both = fixes({{800, 100}, {400, 500}, {300, 300}}, {0.5, 0.5}, LayoutType::threeLeftTwoRightOne);
    ASSERT_TRUE(both.count(0));
    EXPECT_NEAR(both.at(0), 800.0 / 1188, 1e-12);
    ASSERT_TRUE(both.count(1));
    EXPECT_NEAR(both.at(1), 320.0 / 688, 1e-12);
    EXPECT_EQ(GestureRules::ratiosWithFixes(LayoutType::threeLeftTwoRightOne, std::vector<double>{0.4}, {{1, 0.7}}),
              (std::vector<double>{0.4, 0.7}));
    EXPECT_EQ(GestureRules::ratiosWithFixes(LayoutType::mainSidebar, std::nullopt, {{3, 0.7}}),
              (std::vector<double>{0.6}));
}

TEST(MinimumSamples, PlausibleMinimumsOnly) {
    const Rect screen{0, 25, 1440, 875};
    EXPECT_TRUE(GestureRules::isObservableMinSample({100, 100, 700, 600}, screen, 4));
    EXPECT_FALSE(GestureRules::isObservableMinSample({0, 25, 1436, 871}, screen, 4));  // fills it
    EXPECT_TRUE(GestureRules::isObservableMinSample({0, 25, 1435, 875}, screen, 4));
    EXPECT_FALSE(GestureRules::isObservableMinSample({0, 25, 1441, 100}, screen, 4));
    EXPECT_FALSE(GestureRules::isObservableMinSample({2000, 25, 100, 100}, screen, 4));
    EXPECT_FALSE(GestureRules::isObservableMinSample({0, 25, 0, 100}, screen, 4));

    const Size visible{1440, 875};
    EXPECT_TRUE(GestureRules::withinMinimumCap(LayoutType::leftRightSplit, {901, 100}, visible, 2));
    EXPECT_FALSE(GestureRules::withinMinimumCap(LayoutType::leftRightSplit, {902, 100}, visible, 2));
    EXPECT_TRUE(GestureRules::withinMinimumCap(LayoutType::topBottomSplit, {1400, 547}, visible, 2));
    EXPECT_FALSE(GestureRules::withinMinimumCap(LayoutType::grid2x2, {800, 600}, visible, 4));
    EXPECT_TRUE(GestureRules::withinMinimumCap(LayoutType::mainSidebar, {1441, 876}, visible, 3));
    EXPECT_TRUE(GestureRules::withinMinimumCap(LayoutType::threeColumns, {901, 875}, visible, 3));
}

GestureRules::BouncePlan bounce(std::vector<Size> samples, const Rect& container,
                                std::optional<Rect> visible = Rect{0, 25, 1440, 875},
                                std::optional<std::vector<double>> ratios = std::nullopt) {
    return GestureRules::planBounce(LayoutType::leftRightSplit, 2, samples, container, visible, ratios);
}

TEST(Bounce, TheRatioSharesTheRoomByTheMinimums) {
    // 700 + 500 do not fit in 1100: the smaller keeps its 500.
    const auto tight = bounce({{700, 400}, {500, 400}}, {0, 25, 1112, 600}, Rect{0, 25, 1112, 875});
    ASSERT_TRUE(tight.ratio);
    EXPECT_NEAR(*tight.ratio, 1 - 500.0 / 1100, 1e-12);
    EXPECT_FALSE(tight.frame);
    // 600 + 500 fit.
    EXPECT_NEAR(*bounce({{600, 400}, {500, 400}}, {0, 25, 1112, 600}).ratio, 600.0 / 1100, 1e-12);
    // A change of 0.005 or less is none; nothing changes at all when the container fits.
    EXPECT_EQ(bounce({{553, 400}, {547, 400}}, {0, 25, 1112, 600}), GestureRules::BouncePlan{});
}

TEST(Bounce, TheContainerGrowsOntoItsScreenAndNeverShrinksBelowItsSize) {
    const auto grown = bounce({{494, 694}, {700, 694}}, {400, 60, 1000, 700});
    EXPECT_EQ(grown.frame, (Rect{234, 60, 1206, 700}));
    EXPECT_NEAR(*grown.ratio, 494.0 / 1194, 1e-12);
    // Larger than needed: kept. Larger than its screen: brought down to it.
    EXPECT_FALSE(bounce({{494, 694}, {700, 694}}, {0, 25, 1300, 800}).frame);
    EXPECT_EQ(bounce({{494, 694}, {700, 694}}, {0, 25, 1500, 800}).frame, (Rect{0, 25, 1440, 800}));
    // Without a screen only growth counts, from the top-left corner.
    EXPECT_EQ(bounce({{494, 694}, {700, 694}}, {400, 60, 1000, 700}, std::nullopt).frame, (Rect{400, 60, 1206, 700}));
}

TEST(OnScreen, AWindowLessThanHalfOnScreenIsPulledIntoTheContainersScreen) {
    const std::vector<Rect> screens{{0, 25, 1440, 875}};
    const Rect target = screens[0];
    // 49 % on screen: pulled in; 50 %: stays.
    EXPECT_EQ(GestureRules::onScreenOrigin({1440 - 49, 100, 100, 100}, screens, target), (Point{1340, 100}));
    EXPECT_EQ(GestureRules::onScreenOrigin({1440 - 50, 100, 100, 100}, screens, target), std::nullopt);
    EXPECT_EQ(GestureRules::onScreenOrigin({-90, -80, 100, 100}, screens, target), (Point{0, 25}));
    // Half on another screen counts as on screen.
    EXPECT_EQ(GestureRules::onScreenOrigin({1395, 100, 100, 100}, {screens[0], Rect{1440, 0, 1000, 800}}, target),
              std::nullopt);
}

}  // namespace
}  // namespace tessane
