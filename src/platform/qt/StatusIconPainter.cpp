#include "platform/qt/StatusIconPainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

namespace tessane::qt_backend {

namespace {

// The drawing is laid out on a canvas of 18 x 18 units. The symbol lives in a 16 x 16 box: centred
// when there is no badge, at the top-left corner when there is one, which leaves the badge a
// margin of one unit beyond the symbol's top-right corner.
constexpr double kCanvas = 18;
constexpr double kBox = 16;
constexpr double kStroke = 1.5;
// The rectangle within its box: wider than tall, like a window split into two panes.
constexpr double kGlyphTop = 2;
constexpr double kGlyphHeight = 12;
constexpr double kCorner = 3;
// The badge: centred 3.5 units in from the canvas's top and right edges; a dot of diameter 5
// inside a cleared circle of diameter 8.
constexpr double kBadgeInset = 3.5;
constexpr double kDotDiameter = 5;
constexpr double kGapDiameter = 8;

void paintSymbol(QPainter& painter, bool filled, const QColor& colour) {
    const QRectF glyph(0, kGlyphTop, kBox, kGlyphHeight);
    const double middle = kBox / 2;
    if (filled) {
        QPainterPath body;
        body.addRoundedRect(glyph, kCorner, kCorner);
        painter.fillPath(body, colour);
        // The two halves stay apart by a gap as wide as the outline's line.
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillRect(QRectF(middle - kStroke / 2, glyph.top(), kStroke, glyph.height()), Qt::transparent);
        painter.restore();
        return;
    }
    QPen pen(colour, kStroke);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // The line runs inside the glyph's bounds, so outline and filled forms cover the same area.
    const QRectF inner = glyph.adjusted(kStroke / 2, kStroke / 2, -kStroke / 2, -kStroke / 2);
    painter.drawRoundedRect(inner, kCorner - kStroke / 2, kCorner - kStroke / 2);
    painter.drawLine(QPointF(middle, inner.top()), QPointF(middle, inner.bottom()));
}

}  // namespace

QImage paintStatusIcon(const StatusImage& state, int pixels, const QColor& colour) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (pixels <= 0) return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(pixels / kCanvas, pixels / kCanvas);
    const QColor opaque(colour.red(), colour.green(), colour.blue());
    if (!state.badged) {
        const double margin = (kCanvas - kBox) / 2;
        painter.translate(margin, margin);
        paintSymbol(painter, state.live, opaque);
        return image;
    }
    paintSymbol(painter, state.live, opaque);
    const QPointF centre(kCanvas - kBadgeInset, kBadgeInset);
    painter.setPen(Qt::NoPen);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setBrush(Qt::black);
    painter.drawEllipse(centre, kGapDiameter / 2, kGapDiameter / 2);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBrush(opaque);
    painter.drawEllipse(centre, kDotDiameter / 2, kDotDiameter / 2);
    return image;
}

QColor statusIconColour(const QPalette& palette) {
    const bool darkPanel = palette.color(QPalette::Active, QPalette::Window).lightness() < 128;
    return darkPanel ? QColor(0xF2, 0xF2, 0xF2) : QColor(0x1E, 0x1E, 0x1E);
}

QIcon statusIcon(const StatusImage& state, const QColor& colour) {
    QIcon icon;
    for (int pixels : {16, 22, 24, 32, 44, 48, 64})
        icon.addPixmap(QPixmap::fromImage(paintStatusIcon(state, pixels, colour)));
    return icon;
}

}  // namespace tessane::qt_backend
