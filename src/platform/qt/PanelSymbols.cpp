#include "platform/qt/PanelSymbols.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace tessane::qt_backend {

void paintPanelSymbol(QPainter& painter, PanelSymbol symbol, const QRectF& box, const QColor& color) {
    // Drawn on a unit square centred in the box: (0, 0) top-left, (1, 1) bottom-right.
    const double side = std::min(box.width(), box.height());
    const QPointF origin(box.center().x() - side / 2, box.center().y() - side / 2);
    auto at = [&](double x, double y) { return QPointF(origin.x() + x * side, origin.y() + y * side); };
    auto rect = [&](double x, double y, double w, double h) { return QRectF(at(x, y), QSizeF(w * side, h * side)); };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(color, std::max(1.2, side / 13));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    auto arrowHead = [&](QPointF tip, double dx, double dy) {  // (dx, dy): the direction it points
        const double l = 0.14;
        painter.drawLine(tip, tip + QPointF((-dx - dy) * l * side, (-dy + dx) * l * side));
        painter.drawLine(tip, tip + QPointF((-dx + dy) * l * side, (-dy - dx) * l * side));
    };
    switch (symbol) {
    case PanelSymbol::displays: {
        const double r = side * 0.06;
        QPainterPath front;
        front.addRoundedRect(rect(0.34, 0.32, 0.62, 0.46), r, r);
        // The front screen hides what it covers of the one behind.
        QPainterPath uncovered;
        uncovered.addRect(box.adjusted(-side, -side, side, side));
        QPainterPath frontArea;
        frontArea.addRect(rect(0.34, 0.32, 0.62, 0.46).adjusted(-pen.widthF(), -pen.widthF(), 0, 0));
        painter.save();
        painter.setClipPath(uncovered.subtracted(frontArea));
        painter.drawRoundedRect(rect(0.04, 0.12, 0.6, 0.44), r, r);
        painter.restore();
        painter.drawPath(front);
        painter.drawLine(at(0.65, 0.78), at(0.65, 0.9));
        painter.drawLine(at(0.52, 0.9), at(0.78, 0.9));
        break;
    }
    case PanelSymbol::sparkles: {
        auto star = [&](double cx, double cy, double r) {
            QPainterPath p;
            const double w = r * 0.28;
            p.moveTo(at(cx, cy - r));
            p.quadTo(at(cx + w * 0.3, cy - w * 0.3), at(cx + r, cy));
            p.quadTo(at(cx + w * 0.3, cy + w * 0.3), at(cx, cy + r));
            p.quadTo(at(cx - w * 0.3, cy + w * 0.3), at(cx - r, cy));
            p.quadTo(at(cx - w * 0.3, cy - w * 0.3), at(cx, cy - r));
            painter.fillPath(p, color);
        };
        star(0.4, 0.58, 0.38);
        star(0.8, 0.2, 0.17);
        break;
    }
    case PanelSymbol::moveArrows: {
        painter.drawLine(at(0.5, 0.06), at(0.5, 0.94));
        painter.drawLine(at(0.06, 0.5), at(0.94, 0.5));
        arrowHead(at(0.5, 0.06), 0, -1);
        arrowHead(at(0.5, 0.94), 0, 1);
        arrowHead(at(0.06, 0.5), -1, 0);
        arrowHead(at(0.94, 0.5), 1, 0);
        break;
    }
    case PanelSymbol::resizeArrows: {
        const double r = side * 0.16;
        painter.drawRoundedRect(rect(0.06, 0.06, 0.88, 0.88), r, r);
        painter.drawLine(at(0.24, 0.5), at(0.76, 0.5));
        arrowHead(at(0.24, 0.5), -1, 0);
        arrowHead(at(0.76, 0.5), 1, 0);
        break;
    }
    case PanelSymbol::keyboard: {
        const double r = side * 0.08;
        painter.drawRoundedRect(rect(0.02, 0.2, 0.96, 0.6), r, r);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        for (int row = 0; row < 2; ++row)
            for (int k = 0; k < 5; ++k) painter.drawRect(rect(0.14 + k * 0.16, 0.3 + row * 0.14, 0.08, 0.07));
        painter.drawRect(rect(0.3, 0.62, 0.4, 0.07));
        break;
    }
    }
    painter.restore();
}

}  // namespace tessane::qt_backend
