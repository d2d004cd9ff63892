#include "platform/qt/panels/PanelPainter.h"

#include "platform/qt/panels/PanelSymbols.h"
#include "platform/qt/panels/PanelText.h"
#include "platform/qt/panels/QtPanelWidget.h"

#include <QApplication>

#include <QGuiApplication>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <cmath>

namespace tessane::qt_backend {

namespace {

std::optional<bool> appearance;

QColor rgb(int r, int g, int b, double alpha = 1) {
    QColor c(r, g, b);
    c.setAlphaF(static_cast<float>(alpha));
    return c;
}

QColor baseColor(ColorRole role, bool dark) {
    switch (role) {
    case ColorRole::underPageBackground: return dark ? rgb(38, 38, 40) : rgb(214, 214, 216);
    case ColorRole::controlBackground: return dark ? rgb(30, 30, 30) : rgb(255, 255, 255);
    case ColorRole::windowBackground: return dark ? rgb(50, 50, 52) : rgb(236, 236, 236);
    case ColorRole::separator: return dark ? rgb(255, 255, 255, 0.16) : rgb(0, 0, 0, 0.14);
    case ColorRole::label: return dark ? rgb(255, 255, 255, 0.85) : rgb(0, 0, 0, 0.85);
    // Secondary text keeps a contrast of at least 4.5:1 on the window and under-page surfaces.
    case ColorRole::secondaryLabel: return dark ? rgb(255, 255, 255, 0.55) : rgb(0, 0, 0, 0.6);
    case ColorRole::tertiaryLabel: return dark ? rgb(255, 255, 255, 0.25) : rgb(0, 0, 0, 0.26);
    case ColorRole::accent: return dark ? rgb(10, 132, 255) : rgb(0, 122, 255);
    // The accent deepened until white text on it reads at 4.5:1.
    case ColorRole::defaultButton: return dark ? rgb(10, 100, 224) : rgb(0, 100, 210);
    case ColorRole::green: return dark ? rgb(50, 215, 75) : rgb(40, 205, 65);
    case ColorRole::grey: return rgb(128, 128, 128);
    }
    return {};
}

// Drawing coordinates to widget coordinates.
QRectF toWidget(const Rect& r, QSize size) {
    return {r.minX(), size.height() - r.maxY(), r.width(), r.height()};
}

}  // namespace

bool chromeIsDark() {
    if (appearance) return *appearance;
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

void setChromeAppearance(std::optional<bool> dark) {
    if (appearance == dark) return;
    appearance = dark;
    // Every panel recolours at once, as it does when the system palette changes.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        for (QWidget* widget : QApplication::allWidgets())
            if (auto* canvas = dynamic_cast<PanelCanvas*>(widget)) canvas->appearanceChanged();
}

QColor resolveColor(const PaintColor& color, bool dark) {
    QColor c = baseColor(color.role, dark);
    if (color.role == ColorRole::grey) {
        const int level = qBound(0, qRound(color.white * 255), 255);
        c = QColor(level, level, level);
    }
    c.setAlphaF(static_cast<float>(c.alphaF() * color.alpha));
    return c;
}

namespace {
// A soft edge from stacked, growing outlines: each adds a little, so the shadow is darkest at
// the shape and fades out `blur` points beyond it.
void paintShadow(QPainter& painter, const QRectF& r, double radius, double blur, const QColor& color) {
    const int layers = std::max(1, static_cast<int>(std::lround(blur)));
    const double each = 1 - std::pow(1 - color.alphaF(), 1.0 / layers);
    QColor layer = color;
    layer.setAlphaF(static_cast<float>(each));
    painter.setPen(Qt::NoPen);
    painter.setBrush(layer);
    for (int i = layers; i >= 1; --i) {
        const double grow = blur * i / layers;
        painter.drawRoundedRect(r.adjusted(-grow, -grow, grow, grow), radius + grow, radius + grow);
    }
}
}  // namespace

void paintDrawing(QPainter& painter, const PanelDrawing& drawing, QSize size, bool dark, bool shadows) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const DrawOp& op : drawing) {
        const QRectF r = toWidget(op.rect, size);
        const QColor color = resolveColor(op.color, dark);
        switch (op.kind) {
        case DrawOp::Kind::fillRect:
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(r, color);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            break;
        case DrawOp::Kind::fillRoundedRect:
            painter.setPen(Qt::NoPen);
            painter.setBrush(color);
            painter.drawRoundedRect(r, op.radius, op.radius);
            break;
        case DrawOp::Kind::strokeRoundedRect:
            painter.setPen(QPen(color, op.lineWidth));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(r, op.radius, op.radius);
            break;
        case DrawOp::Kind::fillEllipse:
            painter.setPen(Qt::NoPen);
            painter.setBrush(color);
            painter.drawEllipse(r);
            break;
        case DrawOp::Kind::image:
            if (op.png) {
                QImage image;
                if (image.loadFromData(op.png->data(), static_cast<int>(op.png->size()), "PNG")) {
                    painter.setOpacity(op.opacity);
                    painter.drawImage(r, image);
                    painter.setOpacity(1);
                }
            }
            break;
        case DrawOp::Kind::line:
            painter.setPen(QPen(color, op.lineWidth));
            painter.drawLine(QPointF(op.rect.minX(), size.height() - op.rect.minY()),
                             QPointF(op.rect.maxX(), size.height() - op.rect.maxY()));
            break;
        case DrawOp::Kind::text: {
            QFont font = QGuiApplication::font();
            font.setPointSizeF(op.fontSize);
            font.setWeight(op.mediumWeight ? QFont::Medium : QFont::Normal);
            painter.setFont(font);
            painter.setPen(color);
            // Centred on the rectangle's centre whatever the text's measured size.
            const QPointF centre = r.center();
            const QRectF box(centre.x() - size.width(), centre.y() - size.height(), 2.0 * size.width(),
                             2.0 * size.height());
            painter.drawText(box, Qt::AlignCenter, QString::fromStdString(op.text));
            break;
        }
        case DrawOp::Kind::styledText:
            paintPanelText(painter, op.styledText, r, color);
            break;
        case DrawOp::Kind::symbol:
            paintPanelSymbol(painter, op.symbol, r, color);
            break;
        case DrawOp::Kind::shadow:
            if (shadows) paintShadow(painter, r, op.radius, op.blur, color);
            break;
        }
    }
}

QRegion drawingRegion(const PanelDrawing& drawing, QSize size, double scale) {
    QRegion region;
    for (const DrawOp& op : drawing) {
        const QRectF w = toWidget(op.rect, size);
        const QRectF r(w.x() * scale, w.y() * scale, w.width() * scale, w.height() * scale);
        switch (op.kind) {
        case DrawOp::Kind::fillRoundedRect:
        case DrawOp::Kind::strokeRoundedRect: {
            QPainterPath path;
            path.addRoundedRect(r, op.radius * scale, op.radius * scale);
            region += QRegion(path.toFillPolygon().toPolygon());
            break;
        }
        case DrawOp::Kind::fillEllipse:
            region += QRegion(r.toAlignedRect(), QRegion::Ellipse);
            break;
        case DrawOp::Kind::line:
        case DrawOp::Kind::text:
            // Drawn over surfaces that other ops already cover.
            break;
        case DrawOp::Kind::shadow:
            break;  // a shadow is never part of the shape: clicks on it fall through
        default:
            region += r.toAlignedRect();
            break;
        }
    }
    return region;
}

std::optional<QColor> solidFill(const PanelDrawing& drawing, QSize size, bool dark) {
    if (drawing.size() != 1 || size.isEmpty()) return std::nullopt;
    const DrawOp& op = drawing.front();
    if (op.kind != DrawOp::Kind::fillRect && op.kind != DrawOp::Kind::fillRoundedRect) return std::nullopt;
    if (!toWidget(op.rect, size).toAlignedRect().contains(QRect(QPoint(0, 0), size))) return std::nullopt;
    const QColor color = resolveColor(op.color, dark);
    if (color.alpha() != 255) return std::nullopt;
    return color;
}

}  // namespace tessane::qt_backend
