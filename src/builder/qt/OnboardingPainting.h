#pragma once

#include "builder/OnboardingSteps.h"
#include "builder/qt/BuilderWidgets.h"  // color(): the panels' one colour table

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QRectF>

#include <optional>

class QPainter;

namespace tessane::builder_qt {

// Text styles in pixels, as the panel is laid out in pixels.
QFont textFont(double pixels, QFont::Weight weight = QFont::Normal);

// The symbols of the panel and its illustrations, drawn by us as strokes and fills in a square.
enum class Symbol {
    shieldCheckmarkFilled,
    shieldLock,
    checkmarkCircleFilled,
    arrowOutOfSquare,
    splitRectangle,
    plus,
    twoWindows,       // a window over another: an app pane
    document,         // a page with lines of text
    terminal,         // a prompt in a frame
    fourWayArrow,     // move
    leftRightArrow,   // resize
};

// `box` is the symbol's square; `weight` thickens the strokes (regular, semibold, bold).
void paintSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& colour,
                 QFont::Weight weight = QFont::Normal);
// The symbol of a step's text; none for OnboardingSymbol::none.
std::optional<Symbol> symbolFor(OnboardingSymbol symbol);
// A button's icon of `pixels` side.
QIcon symbolIcon(Symbol symbol, int pixels, const QColor& colour);

}  // namespace tessane::builder_qt
