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
    controlBackground,    // the face of a control or a drawn window: white in light, near black in dark
    windowBackground,
    separator,
    label,
    secondaryLabel,
    tertiaryLabel,
    accent,
    defaultButton,  // the face of a default button, under white text
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

enum class FontWeight { regular, medium, semibold, bold };

// A stretch of text in one face: the style's weight, or bold.
struct TextRun {
    std::string text;
    bool bold = false;
    bool operator==(const TextRun&) const = default;
};

// Text in the system font. It wraps at word boundaries to the width it is given (a word wider
// than that width is broken); without `wraps` it stays on one line.
struct PanelText {
    std::vector<TextRun> runs;
    double size = 13;  // points
    FontWeight weight = FontWeight::regular;
    bool wraps = true;
    bool operator==(const PanelText&) const = default;
};

// Symbols the chrome draws itself (outlines in the op's colour, fitted into its rect).
enum class PanelSymbol {
    displays,          // two screens, one behind the other
    sparkles,          // a large and a small four-pointed star
    moveArrows,        // arrows up, down, left and right from the centre
    resizeArrows,      // a square with a left-right arrow inside
    keyboard,
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
        styledText,         // `styledText` laid out from rect's top-left corner, wrapped to its width
        symbol,             // `symbol` fitted into rect
        shadow,             // the soft shadow of a rounded rect (`radius`), spread `blur` points
                            // beyond it; painted only where a compositing manager blends it
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
    PanelText styledText;
    PanelSymbol symbol = PanelSymbol::displays;
    double blur = 0;

    // A filled or outlined shape, the commonest op.
    static DrawOp shape(Kind kind, const Rect& rect, PaintColor color, double radius = 0) {
        DrawOp op;
        op.kind = kind;
        op.rect = rect;
        op.color = color;
        op.radius = radius;
        return op;
    }

    bool operator==(const DrawOp&) const = default;
};

// What a panel shows: its ops painted in order over a clear background.
using PanelDrawing = std::vector<DrawOp>;

}  // namespace tessane
