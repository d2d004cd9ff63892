#include "base/Geometry.h"

#include <gtest/gtest.h>

using tessane::Point;
using tessane::Rect;

TEST(Rect, NegativeSizesAreStandardised) {
    const Rect r(10, 20, -4, -6);
    EXPECT_EQ(r.standardized(), Rect(6, 14, 4, 6));
    EXPECT_DOUBLE_EQ(r.minX(), 6);
    EXPECT_DOUBLE_EQ(r.maxX(), 10);
    EXPECT_DOUBLE_EQ(r.midY(), 17);
    EXPECT_DOUBLE_EQ(r.width(), 4);
    // The same rectangle written two ways compares equal.
    EXPECT_EQ(r, Rect(6, 14, 4, 6));
}

TEST(Rect, NullRectBehavesAsNothing) {
    const Rect n = Rect::null();
    EXPECT_TRUE(n.isNull());
    EXPECT_TRUE(n.isEmpty());
    EXPECT_EQ(n.unionWith(Rect(1, 2, 3, 4)), Rect(1, 2, 3, 4));
    EXPECT_TRUE(n.intersection(Rect(0, 0, 10, 10)).isNull());
    EXPECT_FALSE(n.contains(Point{0, 0}));
    EXPECT_TRUE(n.offsetBy(5, 5).isNull());
    EXPECT_FALSE(Rect::zero().isNull());
    EXPECT_TRUE(Rect::zero().isEmpty());
}

TEST(Rect, InsetYieldsNullWhenTooSmall) {
    EXPECT_EQ(Rect(0, 0, 100, 50).insetBy(3, 3), Rect(3, 3, 94, 44));
    EXPECT_EQ(Rect(0, 0, 10, 10).insetBy(5, 5), Rect(5, 5, 0, 0));
    EXPECT_TRUE(Rect(0, 0, 10, 10).insetBy(6, 0).isNull());
    // A negative inset grows the rectangle.
    EXPECT_EQ(Rect(0, 0, 10, 10).insetBy(-2, -1), Rect(-2, -1, 14, 12));
}

TEST(Rect, IntersectionAndUnion) {
    const Rect a(0, 0, 100, 100);
    EXPECT_EQ(a.intersection(Rect(50, 60, 100, 100)), Rect(50, 60, 50, 40));
    EXPECT_TRUE(a.intersection(Rect(101, 0, 5, 5)).isNull());
    // Edges that touch meet in a line: not null, but not an intersection with area.
    const Rect touch = a.intersection(Rect(100, 0, 50, 50));
    EXPECT_FALSE(touch.isNull());
    EXPECT_DOUBLE_EQ(touch.width(), 0);
    EXPECT_FALSE(a.intersects(Rect(100, 0, 50, 50)));
    EXPECT_TRUE(a.intersects(Rect(99, 0, 50, 50)));
    EXPECT_EQ(a.unionWith(Rect(150, -10, 10, 10)), Rect(0, -10, 160, 110));
}

TEST(Rect, ContainsIsHalfOpen) {
    const Rect a(0, 0, 10, 10);
    EXPECT_TRUE(a.contains(Point{0, 0}));
    EXPECT_TRUE(a.contains(Point{9.999, 5}));
    EXPECT_FALSE(a.contains(Point{10, 5}));
    EXPECT_TRUE(a.contains(Rect(0, 0, 10, 10)));
    EXPECT_TRUE(a.contains(Rect(2, 2, 8, 8)));
    EXPECT_FALSE(a.contains(Rect(2, 2, 9, 8)));
    EXPECT_FALSE(a.contains(Rect::null()));
}
