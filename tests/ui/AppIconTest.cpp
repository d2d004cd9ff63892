// The program's own icon, built into it: painted at the sizes window managers and task lists ask
// for, as the installed drawing (app/icons/tessane.svg) looks.
#include "platform/qt/AppIcon.h"
#include "ui/OffscreenApplication.h"

#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace tessane::qt_backend {
namespace {

TEST(AppIconTest, TheBlueTileWithItsPanesAtEverySize) {
    uitest::ensureOffscreenApplication();
    const QIcon icon = applicationIcon();
    for (int side : {16, 48, 256}) {
        SCOPED_TRACE(side);
        const QImage image = icon.pixmap(QSize(side, side), 1.0).toImage();
        ASSERT_EQ(image.width(), side);
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "a rounded tile: its corner is clear";
        const QColor tile = image.pixelColor(side * 10 / 128, side / 2);
        EXPECT_GT(tile.blue(), 150);
        EXPECT_LT(tile.red(), 100);
        EXPECT_GT(image.pixelColor(side * 46 / 128, side * 70 / 128).lightness(), 200) << "a white pane";
    }
    // The painted icon is the installed drawing as Qt's SVG renderer paints the file: the two
    // differ only in how the rounded corners' edges are smoothed.
    for (int side : {16, 22, 128}) {
        SCOPED_TRACE(side);
        QImageReader reader(TESSANE_SOURCE_DIR "/app/icons/tessane.svg", "svg");
        reader.setScaledSize(QSize(side, side));
        const QImage drawn = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_FALSE(drawn.isNull()) << reader.errorString().toStdString();
        const QImage painted =
            icon.pixmap(QSize(side, side), 1.0).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        double difference = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const QRgb a = drawn.pixel(x, y), b = painted.pixel(x, y);
                difference += std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                        std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            }
        EXPECT_LT(difference / (side * side), 1.0) << "mean difference of a pixel, of 255";
    }
    QLabel shown;
    shown.setPixmap(icon.pixmap(128));
    EXPECT_TRUE(uitest::saveScreenshot(shown, "app-icon.png"));
}

}  // namespace
}  // namespace tessane::qt_backend
