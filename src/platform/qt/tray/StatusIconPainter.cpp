#include "platform/qt/tray/StatusIconPainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <vector>

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

namespace {

QImage paintInOneColour(const StatusImage& state, int pixels, const QColor& colour) {
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

const QColor kLightInk(0xF2, 0xF2, 0xF2);
const QColor kDarkInk(0x1E, 0x1E, 0x1E);
constexpr double kIconContrast = 4.5;

double luminance(const QColor& c) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

}  // namespace

QImage paintStatusIcon(const StatusImage& state, int pixels, const StatusIconInk& ink) {
    QImage image = paintInOneColour(state, pixels, ink.ink);
    if (!ink.halo || pixels <= 0) return image;
    // The outline: the same drawing in the halo's colour, spread by about a unit in every
    // direction, under the ink.
    const QImage halo = paintInOneColour(state, pixels, *ink.halo);
    QImage out(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    const int spread = std::max(1, int(std::lround(pixels / kCanvas)));
    for (int dx = -spread; dx <= spread; ++dx)
        for (int dy = -spread; dy <= spread; ++dy)
            if (dx || dy) painter.drawImage(dx, dy, halo);
    painter.drawImage(0, 0, image);
    return out;
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

StatusIconInk statusIconInk(const TrayBackdrop& backdrop, const QPalette& palette) {
    if (backdrop.announcedForeground) {
        QColor announced = *backdrop.announcedForeground;
        announced.setAlpha(255);
        return {announced};
    }
    if (backdrop.sampledBackground) {
        const QColor& panel = *backdrop.sampledBackground;
        const bool light = contrastRatio(kLightInk, panel) >= contrastRatio(kDarkInk, panel);
        const QColor& ink = light ? kLightInk : kDarkInk;
        // On a mid-grey panel neither soft ink reaches 4.5:1; white or black always does.
        if (contrastRatio(ink, panel) >= kIconContrast) return {ink};
        return {light ? QColor(Qt::white) : QColor(Qt::black)};
    }
    const QColor guess = statusIconColour(palette);
    return {guess, guess == kLightInk ? kDarkInk : kLightInk};
}

std::optional<QColor> backdropColour(const QImage& iconArea) {
    if (iconArea.isNull()) return std::nullopt;
    const int w = iconArea.width(), h = iconArea.height();
    // Clear of the symbol: the top row left of the badge, and the bottom rows below the rectangle.
    std::vector<QColor> seen;
    for (int x = 0; x < w * 3 / 5; ++x) seen.push_back(iconArea.pixelColor(x, 0));
    for (int y = std::max(0, h - std::max(1, h / 12)); y < h; ++y)
        for (int x = 0; x < w; ++x) seen.push_back(iconArea.pixelColor(x, y));
    std::nth_element(seen.begin(), seen.begin() + long(seen.size() / 2), seen.end(),
                     [](const QColor& a, const QColor& b) { return luminance(a) < luminance(b); });
    QColor median = seen[seen.size() / 2];
    median.setAlpha(255);
    return median;
}

QColor statusIconColour(const QPalette& palette) {
    const bool darkPanel = palette.color(QPalette::Active, QPalette::Window).lightness() < 128;
    return darkPanel ? kLightInk : kDarkInk;
}

QIcon statusIcon(const StatusImage& state, const StatusIconInk& ink) {
    QIcon icon;
    for (int pixels : {16, 22, 24, 32, 44, 48, 64})
        icon.addPixmap(QPixmap::fromImage(paintStatusIcon(state, pixels, ink)));
    return icon;
}

}  // namespace tessane::qt_backend
