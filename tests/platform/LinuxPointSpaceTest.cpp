#include "platform/linux/x11/PointSpace.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tessane;
using namespace tessane::linux_backend;

namespace {

bool whole(const Rect& r) {
    for (double v : {r.minX(), r.minY(), r.width(), r.height()})
        if (v != std::floor(v)) return false;
    return true;
}

// A frame placed in points lands on whole pixels, reads back as placed, and goes on landing on
// the same pixels however often it goes round; pixels read and written back stay where they were.
TEST(LinuxPointSpace, FramesRoundTripWithoutDriftAtEachScale) {
    for (const double scale : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(scale);
        // A display at that scale, with one at scale 1 to its right.
        const PointSpace space({{{0, 0, 2880, 1800}, scale}, {{2880, 0, 1920, 1080}, 1}});
        const Rect pointFrames[] = {{101, 37, 640, 481}, {0, 0, 2880 / scale, 1800 / scale}, {7, 13, 1, 1},
                                    {2880 + 11, 5, 300, 200}};
        for (const Rect& points : pointFrames) {
            const Rect pixels = space.pixelsFromPoints(points);
            EXPECT_TRUE(whole(pixels)) << points << " -> " << pixels;
            EXPECT_EQ(space.pointsFromPixels(pixels), points) << pixels;
            EXPECT_EQ(space.pixelsFromPoints(space.pointsFromPixels(pixels)), pixels);
        }
        // A seventh of the screen is no whole point: it still settles on its pixels at once.
        const Rect seventh{2880 / scale / 7, 10, 2880 / scale / 7, 400.25};
        const Rect once = space.pixelsFromPoints(seventh);
        EXPECT_EQ(space.pixelsFromPoints(space.pointsFromPixels(once)), once);
        for (const Rect& pixels : {Rect{151, 77, 963, 601}, Rect{0, 0, 2880, 1800}, Rect{1, 1, 1, 1}})
            EXPECT_EQ(space.pixelsFromPoints(space.pointsFromPixels(pixels)), pixels) << pixels;
    }
}

// Panes that share an edge in points share it in pixels: at 1.5 no column is left between two of
// them nor covered by both, and together they fill the screen to its last pixel.
TEST(LinuxPointSpace, NeighbouringPanesShareTheirEdgesAtOneAndAHalf) {
    const PointSpace space({{{0, 0, 1920, 1200}, 1.5}});
    for (const int panes : {2, 3, 4, 7}) {
        const double width = 1280.0 / panes;
        double expectedMinX = 0;
        for (int i = 0; i < panes; ++i) {
            const Rect pixels = space.pixelsFromPoints(Rect(i * width, 0, width, 800));
            EXPECT_EQ(pixels.minX(), expectedMinX) << panes << " panes, pane " << i;
            expectedMinX = pixels.maxX();
        }
        EXPECT_EQ(expectedMinX, 1920) << panes << " panes";
    }
}

// Each display keeps its corner where X has it and converts at its own scale; at scale 1 nothing
// is rounded.
TEST(LinuxPointSpace, EachDisplayConvertsAtItsOwnScale) {
    const PointSpace space({{{0, 0, 1920, 1080}, 1}, {{1920, 0, 3840, 2160}, 2}});
    EXPECT_EQ(space.displays().at(1).points(), Rect(1920, 0, 1920, 1080));
    EXPECT_EQ(space.pointsFromPixels(Point{1920 + 200, 100}), (Point{2020, 50}));
    EXPECT_EQ(space.pixelsFromPoints(Point{2020, 50}), (Point{2120, 100}));
    EXPECT_EQ(space.pixelsFromPoints(Rect(2020, 50, 400, 300)), Rect(2120, 100, 800, 600));
    EXPECT_EQ(space.pointsFromPixels(Rect(2120, 100, 800, 600)), Rect(2020, 50, 400, 300));
    // The edge between them is the second display's.
    EXPECT_EQ(space.pointsFromPixels(Point{1920, 400}), (Point{1920, 200}));
    EXPECT_EQ(space.pixelsFromPoints(Rect(10.5, 3.25, 100.75, 99.5)), Rect(10.5, 3.25, 100.75, 99.5));
    EXPECT_EQ(PointSpace().pixelsFromPoints(Rect(10.5, 3.25, 100.75, 99.5)), Rect(10.5, 3.25, 100.75, 99.5));
}

}  // namespace
