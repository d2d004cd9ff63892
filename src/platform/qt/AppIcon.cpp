#include "platform/qt/AppIcon.h"

#include "AppIconData.h"

#include <QBuffer>
#include <QImageReader>
#include <QPixmap>

namespace tessane::qt_backend {

QIcon applicationIcon() {
    const QIcon themed = QIcon::fromTheme("tessane");
    if (!themed.isNull()) return themed;
    QIcon icon;
    const QByteArray svg = QByteArray::fromRawData(kAppIconSvg, sizeof kAppIconSvg - 1);
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QBuffer buffer;
        buffer.setData(svg);
        QImageReader reader(&buffer, "svg");
        reader.setScaledSize({side, side});
        const QImage image = reader.read();
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace tessane::qt_backend
