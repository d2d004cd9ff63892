#include "platform/qt/DeviceSpace.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <limits>

namespace tessane::qt_backend {

namespace {

int whole(double v) { return static_cast<int>(std::lround(v)); }

double distanceSquared(const Rect& r, Point p) {
    const double dx = p.x < r.minX() ? r.minX() - p.x : (p.x > r.maxX() ? p.x - r.maxX() : 0);
    const double dy = p.y < r.minY() ? r.minY() - p.y : (p.y > r.maxY() ? p.y - r.maxY() : 0);
    return dx * dx + dy * dy;
}

// The screen whose Qt geometry holds `qt`, else the nearest one.
const ScreenScale* screenAtQt(const std::vector<ScreenScale>& screens, QPointF qt) {
    const ScreenScale* best = nullptr;
    double bestDistance = std::numeric_limits<double>::max();
    for (const auto& s : screens) {
        const Rect r(s.qt.x(), s.qt.y(), s.qt.width(), s.qt.height());
        const double d = distanceSquared(r, {qt.x(), qt.y()});
        if (d < bestDistance) best = &s, bestDistance = d;
    }
    return best;
}

}  // namespace

Rect ScreenScale::root() const {
    return {static_cast<double>(qt.x()), static_cast<double>(qt.y()), qt.width() * ratio, qt.height() * ratio};
}

std::vector<ScreenScale> screenScales() {
    std::vector<ScreenScale> out;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return out;
    for (const QScreen* s : QGuiApplication::screens()) out.push_back({s->geometry(), s->devicePixelRatio()});
    return out;
}

const ScreenScale* screenAtRoot(const std::vector<ScreenScale>& screens, Point rootPoint) {
    const ScreenScale* best = nullptr;
    double bestDistance = std::numeric_limits<double>::max();
    for (const auto& s : screens) {
        // Half-open: a point on the edge between two screens belongs to the right or lower one.
        const Rect r = s.root();
        if (rootPoint.x >= r.minX() && rootPoint.x < r.maxX() && rootPoint.y >= r.minY() && rootPoint.y < r.maxY())
            return &s;
        const double d = distanceSquared(r, rootPoint);
        if (d < bestDistance) best = &s, bestDistance = d;
    }
    return best;
}

QRect qtFromRoot(const std::vector<ScreenScale>& screens, const Rect& root) {
    const ScreenScale* s = screenAtRoot(screens, {root.midX(), root.midY()});
    if (!s) return QRect(whole(root.minX()), whole(root.minY()), whole(root.width()), whole(root.height()));
    const double ox = s->qt.x(), oy = s->qt.y();
    return QRect(whole(ox + (root.minX() - ox) / s->ratio), whole(oy + (root.minY() - oy) / s->ratio),
                 whole(root.width() / s->ratio), whole(root.height() / s->ratio));
}

QPoint qtFromRoot(const std::vector<ScreenScale>& screens, Point root) {
    const ScreenScale* s = screenAtRoot(screens, root);
    if (!s) return QPoint(whole(root.x), whole(root.y));
    return QPoint(whole(s->qt.x() + (root.x - s->qt.x()) / s->ratio), whole(s->qt.y() + (root.y - s->qt.y()) / s->ratio));
}

Point rootFromQt(const std::vector<ScreenScale>& screens, QPointF qt) {
    const ScreenScale* s = screenAtQt(screens, qt);
    if (!s) return {qt.x(), qt.y()};
    return {s->qt.x() + (qt.x() - s->qt.x()) * s->ratio, s->qt.y() + (qt.y() - s->qt.y()) * s->ratio};
}

Rect rootFromQt(const std::vector<ScreenScale>& screens, const QRect& qt) {
    const ScreenScale* s = screenAtQt(screens, QRectF(qt).center());
    const double ratio = s ? s->ratio : 1;
    const Point origin = rootFromQt(screens, QPointF(qt.topLeft()));
    return {origin.x, origin.y, qt.width() * ratio, qt.height() * ratio};
}

}  // namespace tessane::qt_backend
