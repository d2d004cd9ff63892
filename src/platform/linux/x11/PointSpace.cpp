#include "platform/linux/x11/PointSpace.h"

#include <cmath>
#include <limits>
#include <utility>

namespace tessane::linux_backend {

namespace {

double wholePixel(double v) { return std::floor(v + 0.5); }

double distanceSquared(const Rect& r, Point p) {
    const double dx = p.x < r.minX() ? r.minX() - p.x : (p.x > r.maxX() ? p.x - r.maxX() : 0);
    const double dy = p.y < r.minY() ? r.minY() - p.y : (p.y > r.maxY() ? p.y - r.maxY() : 0);
    return dx * dx + dy * dy;
}

// The display whose `area` holds `p` (half-open: an edge shared by two displays belongs to the
// right or lower one), else the nearest.
template <typename Area>
const ScaledDisplay* holding(const std::vector<ScaledDisplay>& displays, Point p, Area area) {
    const ScaledDisplay* best = nullptr;
    double bestDistance = std::numeric_limits<double>::max();
    for (const auto& d : displays) {
        const Rect r = area(d);
        if (p.x >= r.minX() && p.x < r.maxX() && p.y >= r.minY() && p.y < r.maxY()) return &d;
        const double distance = distanceSquared(r, p);
        if (distance < bestDistance) best = &d, bestDistance = distance;
    }
    return best;
}

// One coordinate on a display whose corner lies at `origin` (the same in both spaces).
double toPoints(double pixels, double origin, double scale) { return origin + (pixels - origin) / scale; }
double toPixels(double points, double origin, double scale) { return wholePixel(origin + (points - origin) * scale); }

// A pixel edge in points: the whole point that gives that edge back, where there is one.
double edgeToPoints(double pixels, double origin, double scale) {
    const double exact = toPoints(pixels, origin, scale);
    const double whole = std::round(exact);
    return toPixels(whole, origin, scale) == pixels ? whole : exact;
}

// Each edge of `r` through `edge` (a coordinate, the display's origin on that axis, its scale).
template <typename Edge>
Rect mapEdges(const Rect& r, const ScaledDisplay& d, Edge edge) {
    if (d.scale == 1) return r;
    const Rect s = r.standardized();
    const Point o = d.pixels.origin;
    const double minX = edge(s.minX(), o.x, d.scale), maxX = edge(s.maxX(), o.x, d.scale);
    const double minY = edge(s.minY(), o.y, d.scale), maxY = edge(s.maxY(), o.y, d.scale);
    return {minX, minY, maxX - minX, maxY - minY};
}

}  // namespace

Rect ScaledDisplay::points() const {
    return {pixels.minX(), pixels.minY(), pixels.width() / scale, pixels.height() / scale};
}

PointSpace::PointSpace(std::vector<ScaledDisplay> displays) : displays_(std::move(displays)) {
    for (const auto& d : displays_)
        if (d.scale != 1) unscaled_ = false;
}

const ScaledDisplay* PointSpace::holdingPixels(Point p) const {
    return holding(displays_, p, [](const ScaledDisplay& d) { return d.pixels; });
}

const ScaledDisplay* PointSpace::holdingPoints(Point p) const {
    return holding(displays_, p, [](const ScaledDisplay& d) { return d.points(); });
}

Point PointSpace::pointsFromPixels(Point p) const {
    if (unscaled_) return p;
    const ScaledDisplay* d = holdingPixels(p);
    if (!d || d->scale == 1) return p;
    const Point o = d->pixels.origin;
    return {toPoints(p.x, o.x, d->scale), toPoints(p.y, o.y, d->scale)};
}

Point PointSpace::pixelsFromPoints(Point p) const {
    if (unscaled_) return p;
    const ScaledDisplay* d = holdingPoints(p);
    if (!d || d->scale == 1) return p;
    const Point o = d->pixels.origin;
    return {toPixels(p.x, o.x, d->scale), toPixels(p.y, o.y, d->scale)};
}

Rect PointSpace::pointsFromPixels(const Rect& r) const {
    if (unscaled_) return r;
    const ScaledDisplay* d = holdingPixels({r.midX(), r.midY()});
    return d ? pointsFromPixels(r, *d) : r;
}

Rect PointSpace::pixelsFromPoints(const Rect& r) const {
    if (unscaled_) return r;
    const ScaledDisplay* d = holdingPoints({r.midX(), r.midY()});
    return d ? pixelsFromPoints(r, *d) : r;
}

Rect PointSpace::pointsFromPixels(const Rect& r, const ScaledDisplay& d) { return mapEdges(r, d, edgeToPoints); }

Rect PointSpace::pixelsFromPoints(const Rect& r, const ScaledDisplay& d) { return mapEdges(r, d, toPixels); }

}  // namespace tessane::linux_backend
