#pragma once

#include "platform/PanelDrawing.h"

#include <QColor>
#include <QRegion>
#include <QSize>

#include <optional>

class QPainter;

namespace tessane::qt_backend {

// The chrome's palette: semantic colour roles for light and dark. Dark follows the app theme
// when one is set (setChromeAppearance, which repaints every panel), else the lightness of the Qt
// palette's window colour.
bool chromeIsDark();
void setChromeAppearance(std::optional<bool> dark);
QColor resolveColor(const PaintColor& color, bool dark);

// Paints a panel's drawing into a widget of `size` (drawing coordinates are y up from the
// bottom-left corner; Qt's go down from the top-left). Shadows only where they are blended
// (`shadows`).
void paintDrawing(QPainter& painter, const PanelDrawing& drawing, QSize size, bool dark, bool shadows = true);
// The area a drawing covers, in widget coordinates times `scale` (the window's pixels for a
// drawing in points), shadows left out: the window's shape where no compositing manager blends a
// transparent background, and where it takes clicks when it casts a shadow.
QRegion drawingRegion(const PanelDrawing& drawing, QSize size, double scale = 1);

// The colour of a drawing that is nothing but one opaque fill (a rectangle, or a rounded one,
// whose corners the window's shape cuts) over a whole widget of `size`: such a panel can be
// left to the X server to fill. Nothing for any other drawing.
std::optional<QColor> solidFill(const PanelDrawing& drawing, QSize size, bool dark);

}  // namespace tessane::qt_backend
