#pragma once

#include "base/Geometry.h"

#include <vector>

namespace tessane::linux_backend {

// A display on the root window (X pixels) and the scale Qt draws our own windows with there.
struct ScaledDisplay {
    Rect pixels;
    double scale = 1;
    // The display in points: its top-left corner stays where X has it, the rest is divided by
    // its scale (the layout Qt gives our own windows).
    Rect points() const;
};

// Device-independent points against X pixels, both on the root window's axes. Everything above
// the backend works in points; X pixels are converted here, once in each direction, on the
// display that holds what is converted (the nearest one when none does). A point rectangle
// becomes whole pixels edge by edge, so two rectangles that share an edge in points share it in
// pixels at any scale (no seam, no overlap at 1.5); a pixel edge reads back as the whole point
// that gives it, where there is one, so frames placed at whole points read back as placed.
// Where the scale is 1 nothing is rounded or moved: the pixels are the points.
class PointSpace {
public:
    PointSpace() = default;
    explicit PointSpace(std::vector<ScaledDisplay> displays);

    Point pointsFromPixels(Point pixels) const;
    Rect pointsFromPixels(const Rect& pixels) const;
    Point pixelsFromPoints(Point points) const;
    Rect pixelsFromPoints(const Rect& points) const;

    // The same on the display given, whichever display holds the rectangle (a display's own
    // areas, where displays overlap).
    static Rect pointsFromPixels(const Rect& pixels, const ScaledDisplay& on);
    static Rect pixelsFromPoints(const Rect& points, const ScaledDisplay& on);

    const std::vector<ScaledDisplay>& displays() const { return displays_; }

private:
    const ScaledDisplay* holdingPixels(Point pixels) const;
    const ScaledDisplay* holdingPoints(Point points) const;
    std::vector<ScaledDisplay> displays_;
    bool unscaled_ = true;
};

}  // namespace tessane::linux_backend
