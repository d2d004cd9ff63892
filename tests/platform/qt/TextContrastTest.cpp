// The readability rule every theme and panel passes its text colours through.
#include "platform/qt/panels/TextContrast.h"
#include "platform/qt/tray/StatusIconPainter.h"  // contrastRatio

#include <gtest/gtest.h>

namespace tessane::qt_backend {
namespace {

TEST(TextContrastTest, TextReadsAtTheRatioAndAHintStaysFainterThanTypedText) {
    const QColor white(Qt::white), window(0xEF, 0xEF, 0xEF);
    // Already readable: kept, hue and all.
    EXPECT_EQ(readableOn(QColor(0x20, 0x40, 0x60), {white}), QColor(0x20, 0x40, 0x60));
    // Too faint: made darker just enough, on every ground.
    const QColor orange = readableOn(QColor(0xE0, 0x7B, 0x00), {white, window});
    EXPECT_GE(contrastRatio(orange, window), kTextContrast);
    EXPECT_LT(contrastRatio(orange, window), kTextContrast + 0.5);
    EXPECT_GT(orange.red(), orange.blue()) << "still orange";

    // A desktop's hint: its text colour half transparent. Opaque, it would read as typed text.
    QColor hint(Qt::black);
    hint.setAlphaF(0.5);
    const QColor shown = readableOn(hint, {window, white});
    EXPECT_EQ(shown.alpha(), 255);
    EXPECT_GE(contrastRatio(shown, white), kTextContrast);
    EXPECT_GE(shown.lightness(), 90) << "a grey, not black";
}

}  // namespace
}  // namespace tessane::qt_backend
