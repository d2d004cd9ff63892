#pragma once

#include "platform/PanelDrawing.h"

#include <QColor>
#include <QRectF>

class QPainter;

namespace tessane::qt_backend {

// Draws one of the chrome's symbols, our own outlines, fitted into `box` (widget coordinates).
void paintPanelSymbol(QPainter& painter, PanelSymbol symbol, const QRectF& box, const QColor& color);

}  // namespace tessane::qt_backend
