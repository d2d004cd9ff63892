#include "platform/qt/AppIcon.h"

#include "AppIconData.h"

#include <QApplication>
#include <QBuffer>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

namespace tessane::qt_backend {
namespace {

QImage renderBuiltIn(QSize size) {
    const QByteArray svg = QByteArray::fromRawData(kAppIconSvg, sizeof kAppIconSvg - 1);
    QBuffer buffer;
    buffer.setData(svg);
    QImageReader reader(&buffer, "svg");
    reader.setScaledSize(size);
    return reader.read();
}

// The built-in drawing, rendered when a size is asked for and not kept: Qt reads every size of
// the program's icon into a window's _NET_WM_ICON when it makes the window, and holding all of
// them for the life of the program cost a third of a megabyte.
class BuiltInIconEngine final : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        const QImage image = renderBuiltIn(rect.size());
        if (!image.isNull()) painter->drawImage(rect, image);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        const QImage image = renderBuiltIn(size);
        return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("tessane-built-in"); }
    QIconEngine* clone() const override { return new BuiltInIconEngine; }
};

}  // namespace

QIcon applicationIcon() {
    const QIcon themed = QIcon::fromTheme("tessane");
    if (!themed.isNull()) return themed;
    return QIcon(new BuiltInIconEngine);
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
