#include "builder/qt/OnboardingPainting.h"

#include "builder/qt/BuilderWidgets.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tessane::builder_qt {

QFont textFont(double pixels, QFont::Weight weight) {
    QFont f = QApplication::font();
    f.setPixelSize(int(std::lround(pixels)));
    f.setWeight(weight);
    return f;
}

std::optional<Symbol> symbolFor(OnboardingSymbol s) {
    switch (s) {
    case OnboardingSymbol::none: return std::nullopt;
    case OnboardingSymbol::shieldCheckmarkFilled: return Symbol::shieldCheckmarkFilled;
    case OnboardingSymbol::shieldLock: return Symbol::shieldLock;
    case OnboardingSymbol::checkmarkCircleFilled: return Symbol::checkmarkCircleFilled;
    case OnboardingSymbol::arrowOutOfSquare: return Symbol::arrowOutOfSquare;
    case OnboardingSymbol::splitRectangle: return Symbol::splitRectangle;
    case OnboardingSymbol::plus: return Symbol::plus;
    }
    return std::nullopt;
}

namespace {

// Points of a symbol are given in a unit square and mapped into the box.
struct Unit {
    QRectF box;
    QPointF p(double x, double y) const { return {box.x() + x * box.width(), box.y() + y * box.height()}; }
    QRectF r(double x, double y, double w, double h) const { return {p(x, y), p(x + w, y + h)}; }
    double len(double v) const { return v * box.width(); }
};

double strokeFor(double side, QFont::Weight weight) {
    const double factor = weight >= QFont::Bold ? 0.13 : weight >= QFont::DemiBold ? 0.11 : 0.085;
    return std::max(1.0, side * factor);
}

QPainterPath shield(const Unit& u) {
    QPainterPath path;
    path.moveTo(u.p(0.5, 0.05));
    path.cubicTo(u.p(0.62, 0.14), u.p(0.76, 0.18), u.p(0.88, 0.18));
    path.cubicTo(u.p(0.9, 0.55), u.p(0.78, 0.8), u.p(0.5, 0.96));
    path.cubicTo(u.p(0.22, 0.8), u.p(0.1, 0.55), u.p(0.12, 0.18));
    path.cubicTo(u.p(0.24, 0.18), u.p(0.38, 0.14), u.p(0.5, 0.05));
    path.closeSubpath();
    return path;
}

QPainterPath checkmark(const Unit& u, QPointF a, QPointF b, QPointF c) {
    QPainterPath path;
    path.moveTo(u.p(a.x(), a.y()));
    path.lineTo(u.p(b.x(), b.y()));
    path.lineTo(u.p(c.x(), c.y()));
    return path;
}

// An arrowhead at `tip`, pointing along (dx, dy) (a unit vector in the unit square).
void arrowHead(QPainter& p, const Unit& u, QPointF tip, double dx, double dy, double size) {
    const QPointF t = u.p(tip.x(), tip.y());
    const double s = u.len(size);
    const QPointF back(-dx * s, -dy * s), side(-dy * s, dx * s);
    QPainterPath path;
    path.moveTo(t + back + side);
    path.lineTo(t);
    path.lineTo(t + back - side);
    p.drawPath(path);
}

// A shape filled with the colour, with a mark cut out of it.
void paintFilledWithCut(QPainter& painter, const QColor& colour, const QPen& cut, const QPainterPath& shape,
                        const QPainterPath& mark) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(shape);
    painter.setPen(cut);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(mark);
}

void paintShieldLock(QPainter& painter, const Unit& u, const QColor& colour, double line) {
    painter.drawPath(shield(u));
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(u.r(0.36, 0.47, 0.28, 0.22), u.len(0.04), u.len(0.04));
    painter.setPen(QPen(colour, line * 0.8, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    shackle.moveTo(u.p(0.41, 0.48));
    shackle.lineTo(u.p(0.41, 0.4));
    shackle.arcTo(u.r(0.41, 0.31, 0.18, 0.18), 180, -180);
    shackle.lineTo(u.p(0.59, 0.48));
    painter.drawPath(shackle);
}

// A square open at its top right corner, with an arrow leaving through the gap.
void paintArrowOutOfSquare(QPainter& painter, const Unit& u) {
    QPainterPath frame;
    frame.moveTo(u.p(0.48, 0.14));
    frame.lineTo(u.p(0.22, 0.14));
    frame.quadTo(u.p(0.08, 0.14), u.p(0.08, 0.28));
    frame.lineTo(u.p(0.08, 0.78));
    frame.quadTo(u.p(0.08, 0.92), u.p(0.22, 0.92));
    frame.lineTo(u.p(0.72, 0.92));
    frame.quadTo(u.p(0.86, 0.92), u.p(0.86, 0.78));
    frame.lineTo(u.p(0.86, 0.56));
    painter.drawPath(frame);
    painter.drawLine(u.p(0.42, 0.58), u.p(0.9, 0.1));
    arrowHead(painter, u, {0.9, 0.1}, 0.7071, -0.7071, 0.22);
}

// The front window hides what it covers of the one behind.
void paintTwoWindows(QPainter& painter, const Unit& u, double line) {
    const QRectF front = u.r(0.06, 0.36, 0.66, 0.5), back = u.r(0.28, 0.14, 0.66, 0.5);
    const double radius = u.len(0.1);
    QPainterPath outside;
    outside.addRect(u.box.adjusted(-line, -line, line, line));
    QPainterPath hole;
    hole.addRoundedRect(front.adjusted(-line, -line, line, line), radius, radius);
    painter.setClipPath(outside.subtracted(hole));
    painter.drawRoundedRect(back, radius, radius);
    painter.setClipping(false);
    painter.drawRoundedRect(front, radius, radius);
}

void paintDocument(QPainter& painter, const Unit& u, const QColor& colour, double line) {
    QPainterPath page;
    page.moveTo(u.p(0.2, 0.06));
    page.lineTo(u.p(0.6, 0.06));
    page.lineTo(u.p(0.82, 0.28));
    page.lineTo(u.p(0.82, 0.94));
    page.lineTo(u.p(0.2, 0.94));
    page.closeSubpath();
    painter.drawPath(page);
    QPainterPath fold;
    fold.moveTo(u.p(0.6, 0.06));
    fold.lineTo(u.p(0.6, 0.28));
    fold.lineTo(u.p(0.82, 0.28));
    painter.drawPath(fold);
    painter.setPen(QPen(colour, line * 0.8, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(u.p(0.34, 0.48), u.p(0.68, 0.48));
    painter.drawLine(u.p(0.34, 0.63), u.p(0.68, 0.63));
    painter.drawLine(u.p(0.34, 0.78), u.p(0.56, 0.78));
}

void paintTerminal(QPainter& painter, const Unit& u) {
    painter.drawRoundedRect(u.r(0.05, 0.14, 0.9, 0.72), u.len(0.12), u.len(0.12));
    QPainterPath prompt;
    prompt.moveTo(u.p(0.22, 0.36));
    prompt.lineTo(u.p(0.36, 0.5));
    prompt.lineTo(u.p(0.22, 0.64));
    painter.drawPath(prompt);
    painter.drawLine(u.p(0.44, 0.66), u.p(0.66, 0.66));
}

void paintFourWayArrow(QPainter& painter, const Unit& u) {
    painter.drawLine(u.p(0.5, 0.06), u.p(0.5, 0.94));
    painter.drawLine(u.p(0.06, 0.5), u.p(0.94, 0.5));
    arrowHead(painter, u, {0.5, 0.06}, 0, -1, 0.16);
    arrowHead(painter, u, {0.5, 0.94}, 0, 1, 0.16);
    arrowHead(painter, u, {0.06, 0.5}, -1, 0, 0.16);
    arrowHead(painter, u, {0.94, 0.5}, 1, 0, 0.16);
}

}  // namespace

void paintSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& colour, QFont::Weight weight) {
    const Unit u{box};
    const double line = strokeFor(box.width(), weight);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(colour, line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // Marks on a filled shape are cut out of it: drawn in white, which reads on green and blue.
    QPen cut(QColor(255, 255, 255), line * 1.25, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    switch (symbol) {
    case Symbol::shieldCheckmarkFilled:
        paintFilledWithCut(painter, colour, cut, shield(u), checkmark(u, {0.34, 0.5}, {0.46, 0.62}, {0.67, 0.38}));
        break;
    case Symbol::shieldLock: paintShieldLock(painter, u, colour, line); break;
    case Symbol::checkmarkCircleFilled: {
        QPainterPath circle;
        circle.addEllipse(u.r(0.04, 0.04, 0.92, 0.92));
        paintFilledWithCut(painter, colour, cut, circle, checkmark(u, {0.3, 0.52}, {0.44, 0.66}, {0.7, 0.36}));
        break;
    }
    case Symbol::arrowOutOfSquare: paintArrowOutOfSquare(painter, u); break;
    case Symbol::splitRectangle:
        painter.drawRoundedRect(u.r(0.06, 0.18, 0.88, 0.64), u.len(0.12), u.len(0.12));
        painter.drawLine(u.p(0.5, 0.18), u.p(0.5, 0.82));
        break;
    case Symbol::plus:
        painter.drawLine(u.p(0.5, 0.12), u.p(0.5, 0.88));
        painter.drawLine(u.p(0.12, 0.5), u.p(0.88, 0.5));
        break;
    case Symbol::twoWindows: paintTwoWindows(painter, u, line); break;
    case Symbol::document: paintDocument(painter, u, colour, line); break;
    case Symbol::terminal: paintTerminal(painter, u); break;
    case Symbol::fourWayArrow: paintFourWayArrow(painter, u); break;
    case Symbol::leftRightArrow:
        painter.drawLine(u.p(0.06, 0.5), u.p(0.94, 0.5));
        arrowHead(painter, u, {0.06, 0.5}, -1, 0, 0.24);
        arrowHead(painter, u, {0.94, 0.5}, 1, 0, 0.24);
        break;
    }
    painter.restore();
}

QIcon symbolIcon(Symbol symbol, int pixels, const QColor& colour) {
    // Drawn at twice the size so that it stays sharp on a scaled screen.
    QPixmap pixmap(pixels * 2, pixels * 2);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        paintSymbol(p, symbol, QRectF(0, 0, pixels * 2, pixels * 2), colour, QFont::DemiBold);
    }
    pixmap.setDevicePixelRatio(2);
    return QIcon(pixmap);
}

}  // namespace tessane::builder_qt
