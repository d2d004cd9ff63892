#include "layout/DisplayResolver.h"
#include "layout/DisplayTopology.h"

#include "platform/sim/SimScreens.h"

#include <gtest/gtest.h>

namespace tessane {
namespace {

using sim::SimScreens;

const char* kUuidA = "1E4C2A70-3B5D-4C6E-9F80-0A1B2C3D4E5F";
const char* kUuidB = "9A8B7C6D-5E4F-4A3B-8C2D-1E0F9A8B7C6D";

TEST(DisplayTopologyFingerprint, IdentifiesEachDisplayByUuidOrGeometry) {
    struct Case {
        const char* name;
        ScreenInfo screen;
        std::string identity;
    };
    const std::vector<Case> cases = {
        {"number and uuid", SimScreens::screen({0, 0, 1440, 900}, 1, kUuidA), kUuidA},
        {"no uuid", SimScreens::screen({-1920, 0, 1920, 1080}, 2),
         "geom:1920x1080@-1920,0"},
        {"uuid without a number", SimScreens::screen({0, 0, 1440, 900}, std::nullopt, kUuidA),
         "geom:1440x900@0,0"},
        {"empty uuid text", SimScreens::screen({0, 0, 1440, 900}, 3, ""), "geom:1440x900@0,0"},
        {"fractions truncate toward zero",
         SimScreens::screen({-0.5, 1080.9, 1512.7, 982.2}), "geom:1512x982@0,1080"},
        {"negative fractions truncate toward zero", SimScreens::screen({-1919.9, -3.7, 800, 600}),
         "geom:800x600@-1919,-3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DisplayTopology::displayIdentity(c.screen), c.identity) << c.name;
    }
}

TEST(DisplayTopologyFingerprint, IsSortedJoinedAndIndependentOfOrder) {
    EXPECT_EQ(DisplayTopology::currentFingerprint({}), std::nullopt);

    const ScreenInfo builtIn = SimScreens::screen({0, 0, 1512, 982}, 1, kUuidB);
    const ScreenInfo external = SimScreens::screen({-1920, 0, 1920, 1080}, 4);
    EXPECT_EQ(DisplayTopology::currentFingerprint({builtIn}), std::string(kUuidB));
    // Digits sort before letters, so the UUID comes first here.
    const std::string two = std::string(kUuidB) + "+geom:1920x1080@-1920,0";
    EXPECT_EQ(DisplayTopology::currentFingerprint({builtIn, external}), two);
    EXPECT_EQ(DisplayTopology::currentFingerprint({external, builtIn}), two);

    // The same panel on a different number keeps its identity; a different set does not match.
    const ScreenInfo renumbered = SimScreens::screen({0, 0, 1512, 982}, 7, kUuidB);
    EXPECT_EQ(DisplayTopology::currentFingerprint({renumbered, external}), two);
    const ScreenInfo other = SimScreens::screen({0, 0, 1512, 982}, 1, kUuidA);
    EXPECT_NE(DisplayTopology::currentFingerprint({other, external}), two);
}

TEST(DisplayTopologyTests, BestScreenTakesTheLargestPositiveOverlap) {
    const Rect a(0, 0, 1000, 800), b(1000, 0, 1000, 800);
    EXPECT_EQ(DisplayTopology::bestScreen({900, 0, 300, 100}, {a, b}), b);
    EXPECT_EQ(DisplayTopology::bestScreen({900, 0, 200, 100}, {a, b}), a) << "tie: earlier";
    EXPECT_EQ(DisplayTopology::bestScreen({2000, 0, 50, 50}, {a, b}), std::nullopt)
        << "only touching";
    EXPECT_EQ(DisplayTopology::bestScreen({0, 0, 50, 50}, {}), std::nullopt);
}

TEST(DisplayTopologyTests, FullyOnScreensAllowsOnePercentOut) {
    const Rect screen(0, 0, 1000, 1000);
    struct Case {
        const char* name;
        Rect rect;
        std::vector<Rect> screens;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"inside", {100, 100, 500, 500}, {screen}, true},
        {"1% out", {-5, 0, 500, 500}, {screen}, true},
        {"2% out", {-10, 0, 500, 500}, {screen}, false},
        {"zero width", {100, 100, 0, 500}, {screen}, false},
        {"no screens", {100, 100, 500, 500}, {}, false},
        {"across two adjacent screens", {900, 100, 200, 200},
         {screen, {1000, 0, 1000, 1000}}, true},
        {"into a gap between screens", {900, 100, 200, 200},
         {screen, {1100, 0, 1000, 1000}}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DisplayTopology::isFullyOnScreens(c.rect, c.screens), c.expected) << c.name;
    }
}

TEST(DisplayTopologyTests, IsAtToleratesTwoPoints) {
    const Rect r(100, 100, 800, 600);
    EXPECT_TRUE(DisplayTopology::isAt(r, {102, 98, 802, 598}));
    EXPECT_FALSE(DisplayTopology::isAt(r, {102.5, 100, 800, 600}));
    EXPECT_FALSE(DisplayTopology::isAt(r, {100, 100, 800, 603}));
}

TEST(DisplayTopologyTests, TopStripIsAtMost56High) {
    // Accessibility coordinates: the screen's bottom edge is at y 1000.
    const std::vector<Rect> screens = {{0, 0, 1000, 1000}};
    struct Case {
        const char* name;
        Rect rect;
        double minWidth;
        bool expected;
    };
    const std::vector<Case> cases = {
        // A 30-high rectangle's strip is 30 high; one point may hang off.
        {"30 high, 29 on", {100, 971, 500, 30}, 240, true},
        {"30 high, 28 on", {100, 972, 500, 30}, 240, false},
        // A 200-high rectangle's strip is 56 high, whatever is below it.
        {"200 high, 55 of the strip on", {100, 945, 500, 200}, 240, true},
        {"200 high, 54 of the strip on", {100, 946, 500, 200}, 240, false},
        {"strip too narrow on screen", {800, 100, 500, 200}, 240, false},
        {"strip wide enough on screen", {700, 100, 500, 200}, 240, true},
        {"above the screen", {100, -300, 500, 200}, 240, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DisplayTopology::isTopOnScreen(c.rect, screens, c.minWidth), c.expected)
            << c.name;
    }
    EXPECT_FALSE(DisplayTopology::isTopOnScreen({100, 100, 500, 200}, {}, 0));
}

TEST(DisplayTopologyTests, HandleNeedsHalfOfEachSideOnOneScreen) {
    const std::vector<Rect> screens = {{0, 0, 1000, 1000}};
    EXPECT_TRUE(DisplayTopology::isHandleOnScreen({}, {})) << "an empty handle is never missing";
    EXPECT_TRUE(DisplayTopology::isHandleOnScreen({5, 5, 0, 12}, {}));
    EXPECT_FALSE(DisplayTopology::isHandleOnScreen({5, 5, 80, 12}, {}));
    EXPECT_TRUE(DisplayTopology::isHandleOnScreen({960, 994, 80, 12}, screens));
    EXPECT_FALSE(DisplayTopology::isHandleOnScreen({961, 994, 80, 12}, screens));
    EXPECT_FALSE(DisplayTopology::isHandleOnScreen({960, 995, 80, 12}, screens));
}

TEST(DisplayResolverTests, CurrentScreenPrefersThePointerThenTheFocusedWindow) {
    const std::vector<Rect> screens = {{0, 0, 1000, 800}, {1000, 0, 1000, 800}};
    const Rect mostlyOnFirst(100, 100, 950, 300);
    EXPECT_EQ(DisplayResolver::currentScreenIndex(Point{1500, 10}, mostlyOnFirst, screens), 1u);
    EXPECT_EQ(DisplayResolver::currentScreenIndex(Point{-50, 10}, mostlyOnFirst, screens), 0u)
        << "pointer off every screen";
    EXPECT_EQ(DisplayResolver::currentScreenIndex(std::nullopt, Rect(900, 0, 200, 10), screens),
              0u)
        << "tie: earlier";
    EXPECT_EQ(DisplayResolver::currentScreenIndex(Point{-50, 10}, std::nullopt, screens),
              std::nullopt);
    EXPECT_EQ(DisplayResolver::currentScreenIndex(std::nullopt, Rect(3000, 0, 10, 10), screens),
              std::nullopt);
    // The max edge belongs to the next screen, as with half-open containment.
    EXPECT_EQ(DisplayResolver::currentScreenIndex(Point{1000, 10}, std::nullopt, screens), 1u);
}

TEST(DisplayResolverTests, UsablyVisibleNeedsTheMinimumOnOneScreen) {
    const std::vector<Rect> screens = {{0, 0, 1000, 800}, {1000, 0, 1000, 800}};
    const Size min{240, 56};
    EXPECT_TRUE(DisplayResolver::isUsablyVisible({760, 744, 400, 400}, screens, min));
    EXPECT_FALSE(DisplayResolver::isUsablyVisible({761, 745, 400, 400}, screens, min))
        << "239 on one screen, the rest off every screen";
    // 480 across two screens, but only 200 and 280 on each: the wider part counts alone.
    EXPECT_TRUE(DisplayResolver::isUsablyVisible({800, 0, 480, 100}, screens, min));
    EXPECT_FALSE(DisplayResolver::isUsablyVisible({820, 0, 400, 100}, screens, min));
    EXPECT_FALSE(DisplayResolver::isUsablyVisible({0, 0, 500, 500}, {}, min));
}

TEST(DisplayResolverTests, ClampedKeepsTheFrameOnTheScreen) {
    const Rect screen(0, 25, 1440, 875);
    const Size min{480, 320};
    struct Case {
        const char* name;
        Rect rect;
        Rect expected;
    };
    const std::vector<Case> cases = {
        {"too large: the screen wins", {-100, -100, 3000, 2000}, screen},
        {"too small: grown to the minimum, moved inside", {1400, 880, 100, 100},
         {960, 580, 480, 320}},
        {"inside already", {100, 100, 600, 400}, {100, 100, 600, 400}},
        {"left of the screen", {-300, 100, 600, 400}, {0, 100, 600, 400}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DisplayResolver::clamped(c.rect, screen, min), c.expected) << c.name;
    }
    // A screen smaller than the minimum size still wins.
    EXPECT_EQ(DisplayResolver::clamped({0, 0, 10, 10}, {0, 0, 400, 300}, min),
              Rect(0, 0, 400, 300));
}

}  // namespace
}  // namespace tessane
