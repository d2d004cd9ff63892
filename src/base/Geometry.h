#pragma once

#include <cmath>
#include <limits>
#include <ostream>

namespace tessane {

// Points, sizes and rectangles in points, with the semantics of Core Graphics rectangles:
// operations work on the standardised rectangle (negative sizes flipped), and the "null"
// rectangle (infinite origin) is what an empty intersection or a too-deep inset yields.
struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}

    static Rect null();
    static Rect zero() { return {}; }

    bool isNull() const;
    // True for the null rectangle and for any rectangle with no area.
    bool isEmpty() const;

    Rect standardized() const;

    double minX() const;
    double midX() const;
    double maxX() const;
    double minY() const;
    double midY() const;
    double maxY() const;
    double width() const;   // always >= 0
    double height() const;  // always >= 0

    // Shrinks by dx on the left and right and dy on top and bottom; null when nothing is left.
    Rect insetBy(double dx, double dy) const;
    Rect offsetBy(double dx, double dy) const;
    Rect intersection(const Rect& other) const;
    Rect unionWith(const Rect& other) const;
    bool intersects(const Rect& other) const;
    // Half-open: a point on the max edge lies outside, as with CGRectContainsPoint.
    bool contains(Point p) const;
    bool contains(const Rect& other) const;

    bool operator==(const Rect& other) const;
};

std::ostream& operator<<(std::ostream& os, const Point& p);
std::ostream& operator<<(std::ostream& os, const Size& s);
std::ostream& operator<<(std::ostream& os, const Rect& r);

}  // namespace tessane
