#pragma once

#include "base/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessane {

// Colours are named by what they are for; each backend resolves a role against the current
// light or dark palette, so a drawing recolours itself when the appearance changes.
enum class ColorRole {
    underPageBackground,  // the surface behind pages and panes
    windowBackground,
    separator,
    label,
    secondaryLabel,
    accent,
    green,
    grey,  // a neutral grey of the given white level, the same in light and dark
};

// An image as PNG bytes (an application's icon), shared rather than copied.
using PanelImage = std::shared_ptr<const std::vector<uint8_t>>;

struct PaintColor {
    ColorRole role = ColorRole::label;
    double alpha = 1.0;
    double white = 0.5;  // only for `grey`: 0 black, 1 white
    bool operator==(const PaintColor&) const = default;
};

// One step of a panel's drawing. Rectangles are in the panel's own coordinates: origin at its
// bottom-left corner, y up, in points (the panel's frame size is its bounds).
struct DrawOp {
    enum class Kind {
        fillRect,           // rect filled edge to edge (source copy of the colour)
        fillRoundedRect,    // rect with corner `radius`, filled
        strokeRoundedRect,  // its outline, `lineWidth` wide, centred on the edge
        fillEllipse,        // the ellipse inscribed in rect
        image,              // `png` scaled into rect at `opacity`
        line,               // from rect's (minX, minY) corner to its (maxX, maxY) corner, `lineWidth` wide
        text,               // `text` in the system font of `fontSize`, centred on rect's centre
    };
    Kind kind = Kind::fillRect;
    Rect rect;
    double radius = 0;
    double lineWidth = 1;
    PaintColor color;
    double opacity = 1.0;
    PanelImage png;
    std::string text;
    double fontSize = 13;
    bool mediumWeight = false;

    bool operator==(const DrawOp&) const = default;
};

// What a panel shows: its ops painted in order over a clear background.
using PanelDrawing = std::vector<DrawOp>;

}  // namespace tessane
