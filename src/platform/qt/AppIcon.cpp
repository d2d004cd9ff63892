#include "platform/qt/AppIcon.h"

#include <QApplication>
#include <QIconEngine>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

#include <utility>

namespace tessane::qt_backend {
namespace {

// The drawing of app/icons/tessane.svg (the installed theme icon), in its 128-unit square, painted
// here rather than read through Qt's SVG plugin: that plugin and the Qt Svg library it loads
// stayed in memory for the life of the program (0.4 MB) for this one drawing.
// AppIconTest compares the two.
QBrush vertical(const QRectF& box, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(box.topLeft(), box.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

void paintBuiltIn(QPainter& painter, const QRectF& target) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(target.topLeft());
    painter.scale(target.width() / 128.0, target.height() / 128.0);
    painter.setPen(Qt::NoPen);
    const auto roundedRect = [&](const QRectF& box, qreal radius, const QBrush& brush) {
        painter.setBrush(brush);
        painter.drawRoundedRect(box, radius, radius);
    };
    QColor shadow(0x0b, 0x2f, 0x66);
    shadow.setAlphaF(0.25);
    roundedRect({8, 10, 112, 112}, 24, shadow);
    const QRectF tile(8, 6, 112, 112);
    roundedRect(tile, 24, vertical(tile, QColor(0x3d, 0x8f, 0xf5), QColor(0x1a, 0x5f, 0xc9)));
    QColor rim(Qt::white);
    rim.setAlphaF(0.18);
    painter.setPen(QPen(rim, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(9, 7, 110, 110), 23, 23);
    painter.setPen(Qt::NoPen);
    QColor bar(0x1a, 0x5f, 0xc9);
    bar.setAlphaF(0.22);
    for (const QRectF pane : {QRectF(24, 22, 44, 80), QRectF(74, 22, 30, 37), QRectF(74, 65, 30, 37)})
        roundedRect(pane, 7, vertical(pane, Qt::white, QColor(0xe3, 0xed, 0xfb)));
    for (const QRectF title : {QRectF(24, 22, 44, 11), QRectF(74, 22, 30, 11), QRectF(74, 65, 30, 11)})
        roundedRect(title, 5, bar);
    painter.restore();
}

QImage renderBuiltIn(QSize size) {
    if (size.isEmpty()) return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintBuiltIn(painter, QRectF(QPointF(0, 0), size));
    return image;
}

// The program's icon at every size window managers and task lists ask for, rendered when a size
// is asked for and not kept here: Qt reads every size of the program's icon into a window's
// _NET_WM_ICON when it makes the window, and holding all of them for the life of the program cost
// a third of a megabyte. Drawn from the theme's icon when one was found (a theme that installs it
// as one scalable drawing, or at one size, lists that one size only, and every window would carry
// just it), else from the built-in drawing.
class EverySizeIconEngine final : public QIconEngine {
public:
    explicit EverySizeIconEngine(QIcon themed = {}) : themed_(std::move(themed)) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        if (themed_.isNull()) paintBuiltIn(*painter, rect);
        else themed_.paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (size.isEmpty()) return {};
        if (themed_.isNull()) return QPixmap::fromImage(renderBuiltIn(size));
        const QPixmap found = themed_.pixmap(size, 1.0, mode, state);
        if (found.isNull() || found.size() == size) return found;
        return found.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("tessane-every-size"); }
    QIconEngine* clone() const override { return new EverySizeIconEngine(themed_); }

private:
    QIcon themed_;
};

}  // namespace

QIcon applicationIcon() {
    return QIcon(new EverySizeIconEngine(QIcon::fromTheme("tessane")));
}

QIcon panelIcon() {
    // Made once the program has its icon, from that icon, and shared by every panel.
    static QIcon icon;
    if (icon.isNull()) {
        const QPixmap small = QApplication::windowIcon().pixmap(QSize(16, 16));
        if (!small.isNull()) icon = QIcon(small);
    }
    return icon;
}

}  // namespace tessane::qt_backend
