#include "platform/linux/x11/X11FrameGeometry.h"

#include <gtest/gtest.h>

using namespace tessane;
using namespace tessane::linux_backend;

namespace {

const FrameExtents kOpenbox{1, 1, 20, 5};
const FrameExtents kGtkShadow{26, 26, 23, 29};

TEST(X11FrameGeometry, ExtentsComeFromFourNonNegativeCardinalsThatLeaveRoomWithinTheLimit) {
    const Size limit{960, 540};
    EXPECT_EQ(FrameExtents::fromCardinals(std::vector<long>{1, 2, 20, 5}, limit), (FrameExtents{1, 2, 20, 5}));
    EXPECT_EQ(FrameExtents::fromCardinals(std::vector<long>{1, 2, 20, 5, 99}, limit), (FrameExtents{1, 2, 20, 5}));
    EXPECT_FALSE(FrameExtents::fromCardinals(std::nullopt, limit));
    EXPECT_FALSE(FrameExtents::fromCardinals(std::vector<long>{1, 2, 20}, limit));
    EXPECT_FALSE(FrameExtents::fromCardinals(std::vector<long>{1, -2, 20, 5}, limit));
    // Written by anyone: as wide as the limit on one axis, absurd, or near the top of the range.
    EXPECT_EQ(FrameExtents::fromCardinals(std::vector<long>{0, 0, 539, 0}, limit), (FrameExtents{0, 0, 539, 0}));
    EXPECT_FALSE(FrameExtents::fromCardinals(std::vector<long>{480, 480, 20, 5}, limit));
    EXPECT_FALSE(FrameExtents::fromCardinals(std::vector<long>{1, 1, 5000, 0}, limit));
    EXPECT_FALSE(FrameExtents::fromCardinals(std::vector<long>{0x7fffffff, 0x7fffffff, 0x7fffffff, 0x7fffffff}, limit));
    EXPECT_FALSE(FrameExtents::fromCardinals(std::vector<long>{0xffffffffL, 0, 0, 0}, limit));
    // Where they are refused, the manager's frame around the client stands in, under the same rules.
    const Rect client(101, 120, 400, 300);
    EXPECT_EQ(FrameExtents::between(Rect(100, 100, 402, 325), client, limit), kOpenbox);
    EXPECT_EQ(FrameExtents::between(client, client, limit), (FrameExtents{}));
    EXPECT_FALSE(FrameExtents::between(Rect(200, 100, 402, 325), client, limit));  // not around it
    EXPECT_FALSE(FrameExtents::between(Rect(0, 100, 1500, 325), client, limit));   // nobody's frame
}

TEST(X11FrameGeometry, TheVisibleFrameAddsDecorationsTakesOffShadowsAndConvertsBack) {
    struct Case {
        const char* name;
        WindowFrame frame;
        Rect visible;
    };
    const Case cases[] = {
        {"bare", {Rect(10, 20, 400, 300), {}, {}}, Rect(10, 20, 400, 300)},
        // A window "placed" at the client area (0,0 960x1080) really spans (-1,-20 962x1105).
        {"decorated", {Rect(0, 0, 960, 1080), kOpenbox, {}}, Rect(-1, -20, 962, 1105)},
        // A client-side-decorated window at (0,0 960x1080) shows (26,23 908x1028).
        {"shadowed", {Rect(0, 0, 960, 1080), {}, kGtkShadow}, Rect(26, 23, 908, 1028)},
        {"both", {Rect(100, 100, 500, 400), kOpenbox, kGtkShadow}, Rect(125, 103, 450, 373)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.frame.visible(), c.visible) << c.name;
        // What a write asks of the window manager gives back the same frame.
        const Point outer = c.frame.outerOrigin(c.visible.origin);
        EXPECT_EQ(outer, (Point{c.frame.client.minX() - c.frame.decorations.left,
                                c.frame.client.minY() - c.frame.decorations.top}))
            << c.name;
        EXPECT_EQ(c.frame.clientSize(c.visible.size), c.frame.client.size) << c.name;
    }
    // Never a client smaller than a pixel, whatever the target.
    EXPECT_EQ((WindowFrame{Rect(0, 0, 10, 10), kOpenbox, {}}.clientSize({1, 1})), (Size{1, 1}));
}

TEST(X11FrameGeometry, AConfigureRequestCarriesThePositionTheClientsGravityReadsAsTheFrameWanted) {
    // Openbox-like decorations, a client with a 2 px border; the frame is wanted at (100, 50).
    const Point outer{100, 50};
    const double border = 2;
    struct Case {
        int gravity;
        Point request;
    };
    const Case cases[] = {
        {gravity::northWest, {100, 50}},                      // the outer corners line up
        {0, {100, 50}},                                       // no gravity given: north-west
        {gravity::statik, {100 + 1 - 2, 50 + 20 - 2}},        // the client stays where it is
        {gravity::center, {100 + (1 + 1 - 4) / 2.0, 50 + (20 + 5 - 4) / 2.0}},
        {gravity::southEast, {100 + 1 + 1 - 4, 50 + 20 + 5 - 4}},
        {gravity::north, {100 + (1 + 1 - 4) / 2.0, 50}},
        {gravity::west, {100, 50 + (20 + 5 - 4) / 2.0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(configurePosition(outer, kOpenbox, border, c.gravity), c.request) << "gravity " << c.gravity;
}

}  // namespace
