#include "base/Geometry.h"

#include <algorithm>

namespace tessane {

namespace {
constexpr double kInf = std::numeric_limits<double>::infinity();
}

Rect Rect::null() { return Rect(kInf, kInf, 0, 0); }

bool Rect::isNull() const { return std::isinf(origin.x) || std::isinf(origin.y); }

bool Rect::isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }

Rect Rect::standardized() const {
    if (isNull()) return null();
    Rect r = *this;
    if (r.size.width < 0) {
        r.origin.x += r.size.width;
        r.size.width = -r.size.width;
    }
    if (r.size.height < 0) {
        r.origin.y += r.size.height;
        r.size.height = -r.size.height;
    }
    return r;
}

double Rect::minX() const { return standardized().origin.x; }
double Rect::minY() const { return standardized().origin.y; }
double Rect::width() const { return std::fabs(size.width); }
double Rect::height() const { return std::fabs(size.height); }
double Rect::maxX() const { return minX() + width(); }
double Rect::maxY() const { return minY() + height(); }
double Rect::midX() const { return minX() + width() / 2; }
double Rect::midY() const { return minY() + height() / 2; }

Rect Rect::insetBy(double dx, double dy) const {
    if (isNull()) return null();
    Rect r = standardized();
    r.origin.x += dx;
    r.origin.y += dy;
    r.size.width -= 2 * dx;
    r.size.height -= 2 * dy;
    if (r.size.width < 0 || r.size.height < 0) return null();
    return r;
}

Rect Rect::offsetBy(double dx, double dy) const {
    if (isNull()) return null();
    Rect r = standardized();
    r.origin.x += dx;
    r.origin.y += dy;
    return r;
}

Rect Rect::intersection(const Rect& other) const {
    if (isNull() || other.isNull()) return null();
    const Rect a = standardized();
    const Rect b = other.standardized();
    const double x0 = std::max(a.minX(), b.minX());
    const double y0 = std::max(a.minY(), b.minY());
    const double x1 = std::min(a.maxX(), b.maxX());
    const double y1 = std::min(a.maxY(), b.maxY());
    // Touching edges intersect in a zero-width rectangle, as Core Graphics does; a gap is null.
    if (x1 < x0 || y1 < y0) return null();
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::unionWith(const Rect& other) const {
    if (isNull()) return other.standardized();
    if (other.isNull()) return standardized();
    const double x0 = std::min(minX(), other.minX());
    const double y0 = std::min(minY(), other.minY());
    const double x1 = std::max(maxX(), other.maxX());
    const double y1 = std::max(maxY(), other.maxY());
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

bool Rect::intersects(const Rect& other) const {
    const Rect i = intersection(other);
    return !i.isNull() && !i.isEmpty();
}

bool Rect::contains(Point p) const {
    if (isNull()) return false;
    return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

bool Rect::contains(const Rect& other) const {
    if (isNull() || other.isNull()) return false;
    return other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY() &&
           other.maxY() <= maxY();
}

bool Rect::operator==(const Rect& other) const {
    if (isNull() || other.isNull()) return isNull() && other.isNull();
    const Rect a = standardized();
    const Rect b = other.standardized();
    return a.origin == b.origin && a.size == b.size;
}

std::ostream& operator<<(std::ostream& os, const Point& p) {
    return os << "(" << p.x << ", " << p.y << ")";
}
std::ostream& operator<<(std::ostream& os, const Size& s) {
    return os << "(" << s.width << " x " << s.height << ")";
}
std::ostream& operator<<(std::ostream& os, const Rect& r) {
    if (r.isNull()) return os << "(null)";
    return os << "(" << r.origin.x << ", " << r.origin.y << ", " << r.size.width << " x "
              << r.size.height << ")";
}

}  // namespace tessane
