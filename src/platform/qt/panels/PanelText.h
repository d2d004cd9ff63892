#pragma once

#include "platform/PanelDrawing.h"

#include <QColor>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace tessane::qt_backend {

// Styled text laid out with QTextLayout: measuring and painting share one layout, so a card sized
// from measureText() holds exactly what it paints.
QSizeF measurePanelText(const PanelText& text, double maxWidth);
// Paints the text from the box's top-left corner (widget coordinates), wrapped to its width.
void paintPanelText(QPainter& painter, const PanelText& text, const QRectF& box, const QColor& color);

}  // namespace tessane::qt_backend
