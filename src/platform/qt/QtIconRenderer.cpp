#include "platform/qt/QtIconRenderer.h"

#include "base/FileRead.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>

namespace tessane::qt_backend {

std::optional<Bytes> renderIconPng(const std::filesystem::path& imageFile, int side) {
    if (side <= 0) return std::nullopt;
    // Read through our own reader, which neither waits on a FIFO nor swallows a huge file, and
    // let the image reader tell the format from the bytes.
    const FileRead file = readRegularFile(imageFile, file_limits::kIconImage);
    if (!file) return std::nullopt;
    QByteArray bytes = QByteArray::fromRawData(file.contents().data(), static_cast<qsizetype>(file.contents().size()));
    QBuffer source(&bytes);
    source.open(QIODevice::ReadOnly);
    QImageReader reader(&source);
    reader.setAutoTransform(true);
    const QSize natural = reader.size();
    if (natural.isValid() && !natural.isEmpty() && reader.supportsOption(QImageIOHandler::ScaledSize)) {
        // Vector images (and formats that can) are drawn straight at the size we want.
        reader.setScaledSize(natural.scaled(side, side, Qt::KeepAspectRatio));
    }
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    // Fit: no side larger than asked, one side exactly as asked.
    const bool fits = image.width() <= side && image.height() <= side && (image.width() == side || image.height() == side);
    if (!fits) image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);

    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QPoint((side - image.width()) / 2, (side - image.height()) / 2), image);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!canvas.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG")) return std::nullopt;
    return Bytes(png.begin(), png.end());
}

}  // namespace tessane::qt_backend
