#include "layout/ScreenGeometry.h"

#include "platform/sim/SimScreens.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using sim::SimScreens;
using ScreenGeometry::ScreenPair;

TEST(ScreenGeometryPrimaryHeight, PrefersTheDisplayAtTheOriginThenTheMainOne) {
    SimScreens screens;
    EXPECT_EQ(ScreenGeometry::primaryDisplayHeight(screens), 0);

    // The display at the origin wins even when it is listed second and is not the main one.
    screens.setScreens({SimScreens::screen({-1920, 0, 1920, 1200}),
                        SimScreens::screen({0, 0, 1440, 900})});
    EXPECT_EQ(ScreenGeometry::primaryDisplayHeight(screens), 900);

    // Nobody at the origin (mid-reconfiguration): the main display's height.
    screens.setScreens({SimScreens::screen({10, 0, 1440, 900}),
                        SimScreens::screen({1450, 0, 2560, 1440})});
    screens.setMainScreenIndex(1);
    EXPECT_EQ(ScreenGeometry::primaryDisplayHeight(screens), 1440);

    screens.setMainScreenIndex(std::nullopt);
    EXPECT_EQ(ScreenGeometry::primaryDisplayHeight(screens), 0);
}

TEST(ScreenGeometryFlip, ConvertsBetweenScreenAndAccessibilitySpaces) {
    const double h = 1080;
    // A window 200 high whose bottom is 50 above the primary's bottom edge has its top 830 below
    // the primary's top edge.
    EXPECT_EQ(ScreenGeometry::axRectFromScreen({100, 50, 300, 200}, h), Rect(100, 830, 300, 200));
    EXPECT_EQ(ScreenGeometry::screenRectFromAX({100, 830, 300, 200}, h), Rect(100, 50, 300, 200));
    // A display above the primary has negative Accessibility y.
    EXPECT_EQ(ScreenGeometry::axRectFromScreen({0, 1080, 2560, 1440}, h),
              Rect(0, -1440, 2560, 1440));
    // Round trip, and a point (no height) flips around the primary's height alone.
    const Rect r(-1920.5, 17.25, 640, 480);
    EXPECT_EQ(ScreenGeometry::screenRectFromAX(ScreenGeometry::axRectFromScreen(r, h), h), r);
    EXPECT_EQ(ScreenGeometry::axPointFromScreen({12, 1000}, h), (Point{12, 80}));
}

TEST(ScreenGeometryMaximize, PicksTheVisibleFrameOfTheContainersDisplay) {
    const ScreenPair left{{0, 0, 1000, 800}, {0, 0, 1000, 775}};
    const ScreenPair right{{1000, 0, 1000, 800}, {1000, 40, 1000, 760}};
    struct Case {
        const char* name;
        Rect container;
        std::vector<ScreenPair> screens;
        std::optional<Rect> expected;
    };
    const std::vector<Case> cases = {
        {"no screens", {0, 0, 100, 100}, {}, std::nullopt},
        {"centre on the second", {900, 100, 400, 100}, {left, right}, right.visibleFrame},
        // Centre below both displays: the one overlapping most.
        {"centre off screen, most overlap", {1500, -500, 600, 600}, {left, right},
         right.visibleFrame},
        {"nothing overlaps: the first", {5000, 5000, 10, 10}, {left, right}, left.visibleFrame},
        // Equal overlap on both sides, centre off screen: the earlier display is kept.
        {"tie keeps the earlier", {900, -300, 200, 400}, {left, right}, left.visibleFrame},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScreenGeometry::maximizeTargetFrame(c.container, c.screens), c.expected)
            << c.name;
    }
}

}  // namespace
}  // namespace tessane
