#include "platform/linux/x11/X11FrameGeometry.h"

#include <algorithm>

namespace tessane::linux_backend {

std::optional<FrameExtents> FrameExtents::fromCardinals(const std::optional<std::vector<long>>& values, Size limit) {
    if (!values || values->size() < 4) return std::nullopt;
    const auto& v = *values;
    // Summed as doubles: two items near the top of their range do not overflow.
    return sane({static_cast<double>(v[0]), static_cast<double>(v[1]), static_cast<double>(v[2]),
                 static_cast<double>(v[3])},
                limit);
}

std::optional<FrameExtents> FrameExtents::between(const Rect& outer, const Rect& inner, Size limit) {
    return sane({inner.minX() - outer.minX(), outer.maxX() - inner.maxX(), inner.minY() - outer.minY(),
                 outer.maxY() - inner.maxY()},
                limit);
}

std::optional<FrameExtents> FrameExtents::sane(const FrameExtents& e, Size limit) {
    if (e.left < 0 || e.right < 0 || e.top < 0 || e.bottom < 0) return std::nullopt;
    if (e.left + e.right >= limit.width || e.top + e.bottom >= limit.height) return std::nullopt;
    return e;
}

Rect WindowFrame::visible() const {
    return Rect(client.minX() - decorations.left + shadow.left, client.minY() - decorations.top + shadow.top,
                client.width() + decorations.left + decorations.right - shadow.left - shadow.right,
                client.height() + decorations.top + decorations.bottom - shadow.top - shadow.bottom);
}

Point WindowFrame::outerOrigin(Point visibleOrigin) const {
    return {visibleOrigin.x - shadow.left, visibleOrigin.y - shadow.top};
}

Size WindowFrame::clientSize(Size visibleSize) const {
    return {std::max(1.0, visibleSize.width - decorations.left - decorations.right + shadow.left + shadow.right),
            std::max(1.0, visibleSize.height - decorations.top - decorations.bottom + shadow.top + shadow.bottom)};
}

namespace {

enum class Side { start, middle, end, statik };

Side horizontalSide(int g) {
    switch (g) {
    case gravity::north: case gravity::center: case gravity::south: return Side::middle;
    case gravity::northEast: case gravity::east: case gravity::southEast: return Side::end;
    case gravity::statik: return Side::statik;
    default: return Side::start;  // north-west, west, south-west, and anything unknown
    }
}

Side verticalSide(int g) {
    switch (g) {
    case gravity::west: case gravity::center: case gravity::east: return Side::middle;
    case gravity::southWest: case gravity::south: case gravity::southEast: return Side::end;
    case gravity::statik: return Side::statik;
    default: return Side::start;
    }
}

// One axis: the frame's outer edge at `outer`, decorations `before` and `after` the client,
// the client's border `border`.
double requestCoordinate(Side side, double outer, double before, double after, double border) {
    switch (side) {
    case Side::start: return outer;                                  // outer edges line up
    case Side::middle: return outer + (before + after - 2 * border) / 2;  // centres line up
    case Side::end: return outer + before + after - 2 * border;      // far edges line up
    case Side::statik: return outer + before - border;               // the client stays put
    }
    return outer;
}

}  // namespace

Point configurePosition(Point outerOrigin, const FrameExtents& decorations, double borderWidth,
                        int winGravity) {
    return {requestCoordinate(horizontalSide(winGravity), outerOrigin.x, decorations.left, decorations.right,
                              borderWidth),
            requestCoordinate(verticalSide(winGravity), outerOrigin.y, decorations.top, decorations.bottom,
                              borderWidth)};
}

}  // namespace tessane::linux_backend
