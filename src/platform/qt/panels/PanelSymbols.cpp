#include "platform/qt/panels/PanelSymbols.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace tessane::qt_backend {
namespace {

// A unit square centred in the box: (0, 0) top-left, (1, 1) bottom-right.
struct UnitSquare {
    double side;
    QPointF origin;

    explicit UnitSquare(const QRectF& box)
        : side(std::min(box.width(), box.height())),
          origin(box.center().x() - side / 2, box.center().y() - side / 2) {}
    QPointF at(double x, double y) const { return QPointF(origin.x() + x * side, origin.y() + y * side); }
    QRectF rect(double x, double y, double w, double h) const { return QRectF(at(x, y), QSizeF(w * side, h * side)); }
};

// An open arrowhead at tip, pointing along (dx, dy).
void arrowHead(QPainter& painter, const UnitSquare& u, QPointF tip, double dx, double dy) {
    const double l = 0.14;
    painter.drawLine(tip, tip + QPointF((-dx - dy) * l * u.side, (-dy + dx) * l * u.side));
    painter.drawLine(tip, tip + QPointF((-dx + dy) * l * u.side, (-dy - dx) * l * u.side));
}

void paintDisplays(QPainter& painter, const UnitSquare& u, const QRectF& box, double penWidth) {
    const double r = u.side * 0.06;
    QPainterPath front;
    front.addRoundedRect(u.rect(0.34, 0.32, 0.62, 0.46), r, r);
    // The front screen hides what it covers of the one behind.
    QPainterPath uncovered;
    uncovered.addRect(box.adjusted(-u.side, -u.side, u.side, u.side));
    QPainterPath frontArea;
    frontArea.addRect(u.rect(0.34, 0.32, 0.62, 0.46).adjusted(-penWidth, -penWidth, 0, 0));
    painter.save();
    painter.setClipPath(uncovered.subtracted(frontArea));
    painter.drawRoundedRect(u.rect(0.04, 0.12, 0.6, 0.44), r, r);
    painter.restore();
    painter.drawPath(front);
    painter.drawLine(u.at(0.65, 0.78), u.at(0.65, 0.9));
    painter.drawLine(u.at(0.52, 0.9), u.at(0.78, 0.9));
}

void paintSparkles(QPainter& painter, const UnitSquare& u, const QColor& color) {
    auto star = [&](double cx, double cy, double r) {
        QPainterPath p;
        const double w = r * 0.28;
        p.moveTo(u.at(cx, cy - r));
        p.quadTo(u.at(cx + w * 0.3, cy - w * 0.3), u.at(cx + r, cy));
        p.quadTo(u.at(cx + w * 0.3, cy + w * 0.3), u.at(cx, cy + r));
        p.quadTo(u.at(cx - w * 0.3, cy + w * 0.3), u.at(cx - r, cy));
        p.quadTo(u.at(cx - w * 0.3, cy - w * 0.3), u.at(cx, cy - r));
        painter.fillPath(p, color);
    };
    star(0.4, 0.58, 0.38);
    star(0.8, 0.2, 0.17);
}

void paintMoveArrows(QPainter& painter, const UnitSquare& u) {
    painter.drawLine(u.at(0.5, 0.06), u.at(0.5, 0.94));
    painter.drawLine(u.at(0.06, 0.5), u.at(0.94, 0.5));
    arrowHead(painter, u, u.at(0.5, 0.06), 0, -1);
    arrowHead(painter, u, u.at(0.5, 0.94), 0, 1);
    arrowHead(painter, u, u.at(0.06, 0.5), -1, 0);
    arrowHead(painter, u, u.at(0.94, 0.5), 1, 0);
}

void paintResizeArrows(QPainter& painter, const UnitSquare& u) {
    const double r = u.side * 0.16;
    painter.drawRoundedRect(u.rect(0.06, 0.06, 0.88, 0.88), r, r);
    painter.drawLine(u.at(0.24, 0.5), u.at(0.76, 0.5));
    arrowHead(painter, u, u.at(0.24, 0.5), -1, 0);
    arrowHead(painter, u, u.at(0.76, 0.5), 1, 0);
}

void paintKeyboard(QPainter& painter, const UnitSquare& u, const QColor& color) {
    const double r = u.side * 0.08;
    painter.drawRoundedRect(u.rect(0.02, 0.2, 0.96, 0.6), r, r);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 5; ++k) painter.drawRect(u.rect(0.14 + k * 0.16, 0.3 + row * 0.14, 0.08, 0.07));
    painter.drawRect(u.rect(0.3, 0.62, 0.4, 0.07));
}

}  // namespace

void paintPanelSymbol(QPainter& painter, PanelSymbol symbol, const QRectF& box, const QColor& color) {
    const UnitSquare u(box);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(color, std::max(1.2, u.side / 13));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    switch (symbol) {
    case PanelSymbol::displays: paintDisplays(painter, u, box, pen.widthF()); break;
    case PanelSymbol::sparkles: paintSparkles(painter, u, color); break;
    case PanelSymbol::moveArrows: paintMoveArrows(painter, u); break;
    case PanelSymbol::resizeArrows: paintResizeArrows(painter, u); break;
    case PanelSymbol::keyboard: paintKeyboard(painter, u, color); break;
    }
    painter.restore();
}

}  // namespace tessane::qt_backend
