// The program's own icon, built into it: rendered from its drawing at the sizes window managers
// and task lists ask for.
#include "platform/qt/AppIcon.h"
#include "ui/OffscreenApplication.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include <gtest/gtest.h>

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
    QLabel shown;
    shown.setPixmap(icon.pixmap(128));
    EXPECT_TRUE(uitest::saveScreenshot(shown, "app-icon.png"));
}

}  // namespace
}  // namespace tessane::qt_backend
