#include "platform/linux/x11/X11SizeHints.h"

#include <gtest/gtest.h>

using namespace tessane;
using namespace tessane::linux_backend;

namespace {

TEST(X11SizeHints, AWantedSizeBecomesTheOneTheHintsAllow) {
    X11SizeHints xterm;  // a terminal: cells of 6 x 13 beyond a base, at least one cell
    xterm.baseSize = Size{19, 4};
    xterm.minSize = Size{25, 17};
    xterm.resizeIncrements = Size{6, 13};
    X11SizeHints cellsFromMinimum;  // no base: the increments count from the minimum
    cellsFromMinimum.minSize = Size{10, 20};
    cellsFromMinimum.resizeIncrements = Size{7, 9};
    X11SizeHints roundedUpToMinimum;
    roundedUpToMinimum.minSize = Size{30, 30};
    roundedUpToMinimum.baseSize = Size{0, 0};
    roundedUpToMinimum.resizeIncrements = Size{7, 7};
    X11SizeHints bounded;
    bounded.minSize = Size{500, 400};
    bounded.maxSize = Size{640, 480};
    X11SizeHints maximumBelowMinimum;  // nonsense a client may set: the maximum is ignored
    maximumBelowMinimum.minSize = Size{300, 300};
    maximumBelowMinimum.maxSize = Size{200, 200};
    X11SizeHints widescreen;  // exactly 16:9
    widescreen.minAspect = Size{16, 9};
    widescreen.maxAspect = Size{16, 9};
    X11SizeHints squareBeyondBase;  // the ratio holds for what lies beyond the base
    squareBeyondBase.baseSize = Size{100, 50};
    squareBeyondBase.minAspect = Size{1, 1};
    squareBeyondBase.maxAspect = Size{1, 1};

    struct Case {
        const char* name;
        X11SizeHints hints;
        Size wanted;
        Size taken;
    };
    const Case cases[] = {
        {"no hints", {}, {700, 500}, {700, 500}},
        {"no hints, whole pixels, never empty", {}, {700.4, 0.2}, {700, 1}},
        {"terminal", xterm, {953, 1020}, {949, 1018}},
        {"terminal already on its cells", xterm, {949, 1018}, {949, 1018}},
        {"terminal smaller than a cell", xterm, {3, 3}, {25, 17}},
        {"cells from the minimum", cellsFromMinimum, {100, 100}, {94, 92}},
        {"rounded down below the minimum goes a cell up", roundedUpToMinimum, {32, 40}, {35, 35}},
        {"below the minimum", bounded, {300, 300}, {500, 400}},
        {"above the maximum", bounded, {800, 600}, {640, 480}},
        {"maximum below the minimum", maximumBelowMinimum, {250, 400}, {300, 400}},
        // Height taken off first, then the width left too wide for the rounded height, as Openbox does.
        {"too narrow loses height", widescreen, {1000, 1000}, {999, 562}},
        {"too wide loses width", widescreen, {1600, 500}, {888, 500}},
        {"aspect beyond the base", squareBeyondBase, {300, 450}, {300, 250}},
    };
    for (const auto& c : cases) EXPECT_EQ(constrainedClientSize(c.hints, c.wanted), c.taken) << c.name;
}

}  // namespace
