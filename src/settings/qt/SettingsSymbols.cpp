#include "settings/qt/SettingsSymbols.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace tessane::settings_qt {

namespace {

void drawGear(QPainter& p, qreal s) {
    const QPointF c(s / 2, s / 2);
    const int teeth = 8;
    const qreal outer = s * 0.46, inner = s * 0.34;
    QPainterPath path;
    for (int i = 0; i < teeth * 2; ++i) {
        // Each tooth is a flat top between two flanks.
        const qreal a0 = (i - 0.28) * M_PI / teeth, a1 = (i + 0.28) * M_PI / teeth;
        const qreal r = (i % 2 == 0) ? outer : inner;
        const QPointF p0 = c + QPointF(std::cos(a0) * r, std::sin(a0) * r);
        const QPointF p1 = c + QPointF(std::cos(a1) * r, std::sin(a1) * r);
        if (i == 0) path.moveTo(p0); else path.lineTo(p0);
        path.lineTo(p1);
    }
    path.closeSubpath();
    path.addEllipse(c, s * 0.14, s * 0.14);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.drawPath(path);
}

}  // namespace

QPixmap symbolPixmap(Symbol symbol, int side, const QColor& color, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(side, side) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = side;
    const qreal w = std::max<qreal>(1.2, s / 12);
    QPen pen(color, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (symbol) {
    case Symbol::gear:
        p.setBrush(color);
        drawGear(p, s);
        break;
    case Symbol::splitRectangle: {
        const QRectF r(s * 0.08, s * 0.2, s * 0.84, s * 0.6);
        p.drawRoundedRect(r, s * 0.1, s * 0.1);
        p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
        break;
    }
    case Symbol::sliders:
        for (int i = 0; i < 3; ++i) {
            const qreal y = s * (0.25 + 0.25 * i);
            const qreal knob = s * (i == 1 ? 0.65 : (i == 0 ? 0.35 : 0.5));
            p.drawLine(QPointF(s * 0.1, y), QPointF(s * 0.9, y));
            p.setBrush(color);
            p.drawEllipse(QPointF(knob, y), s * 0.08, s * 0.08);
            p.setBrush(Qt::NoBrush);
        }
        break;
    case Symbol::plus:
        p.drawLine(QPointF(s * 0.5, s * 0.2), QPointF(s * 0.5, s * 0.8));
        [[fallthrough]];
    case Symbol::minus:
        p.drawLine(QPointF(s * 0.2, s * 0.5), QPointF(s * 0.8, s * 0.5));
        break;
    case Symbol::ellipsisCircle:
        p.drawEllipse(QPointF(s / 2, s / 2), s * 0.42, s * 0.42);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        for (int i = -1; i <= 1; ++i) p.drawEllipse(QPointF(s / 2 + i * s * 0.2, s / 2), s * 0.06, s * 0.06);
        break;
    case Symbol::appDashed:
        pen.setStyle(Qt::DashLine);
        p.setPen(pen);
        p.drawRoundedRect(QRectF(s * 0.1, s * 0.1, s * 0.8, s * 0.8), s * 0.2, s * 0.2);
        break;
    }
    return pixmap;
}

QIcon symbolIcon(Symbol symbol, int side, const QColor& color) { return QIcon(symbolPixmap(symbol, side, color)); }

}  // namespace tessane::settings_qt
