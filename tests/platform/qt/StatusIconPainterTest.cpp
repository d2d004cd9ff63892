#include "platform/qt/tray/StatusIconPainter.h"

#include <QPainter>
#include <QPalette>

#include <gtest/gtest.h>

namespace tessane::qt_backend {
namespace {

// Painted at 36 pixels, two pixels to a unit of the 18-unit drawing, so the probes below fall
// well inside or well outside the lines: the rectangle spans x 2..34 and y 6..30 (one unit in
// from the left and top) without a badge, x 0..32 and y 4..28 with one; its lines are 3 wide.
constexpr int kPixels = 36;
const QColor kInk(0x20, 0x40, 0x60);

int alpha(const QImage& image, int x, int y) { return image.pixelColor(x, y).alpha(); }

TEST(StatusIconPainterTest, OutlineWhenNothingShowsAndFilledWithASplitWhenLive) {
    const QImage outline = paintStatusIcon({.live = false}, kPixels, kInk);
    const QImage filled = paintStatusIcon({.live = true}, kPixels, kInk);
    ASSERT_EQ(outline.size(), QSize(kPixels, kPixels));

    // The left edge is drawn in both forms, in the one colour given.
    EXPECT_EQ(outline.pixelColor(3, 18), kInk);
    EXPECT_EQ(filled.pixelColor(3, 18), kInk);
    // Inside the left half: empty in the outline, painted when live.
    EXPECT_EQ(alpha(outline, 10, 18), 0);
    EXPECT_EQ(filled.pixelColor(10, 18), kInk);
    EXPECT_EQ(filled.pixelColor(26, 18), kInk);
    // The split: a line in the outline, a gap between the two filled halves.
    EXPECT_EQ(outline.pixelColor(18, 18), kInk);
    EXPECT_EQ(alpha(filled, 18, 18), 0);
    // Above, below and beside the rectangle nothing is painted.
    for (const QImage* image : {&outline, &filled}) {
        EXPECT_EQ(alpha(*image, 18, 2), 0);
        EXPECT_EQ(alpha(*image, 18, 33), 0);
        EXPECT_EQ(alpha(*image, 35, 18), 0);
    }
}

TEST(StatusIconPainterTest, TheBadgeIsAnOpaqueDotInAClearRingCutIntoTheSymbol) {
    for (bool live : {false, true}) {
        SCOPED_TRACE(live ? "live" : "not live");
        const QImage badged = paintStatusIcon({.live = live, .badged = true}, kPixels, kInk);
        // The dot: centred 7 pixels (3.5 units) in from the top and right edges.
        EXPECT_EQ(badged.pixelColor(28, 6), kInk);
        EXPECT_EQ(badged.pixelColor(29, 7), kInk);
        // The ring around it cuts the top and right edges where they pass close by ...
        EXPECT_EQ(alpha(badged, 22, 5), 0);
        EXPECT_EQ(alpha(badged, 30, 12), 0);
        // ... which are still drawn further away.
        EXPECT_EQ(badged.pixelColor(10, 5), kInk);
        EXPECT_EQ(badged.pixelColor(30, 20), kInk);
        if (live) {
            EXPECT_EQ(alpha(badged, 24, 10), 0) << "the ring reaches into the filled body";
        }
    }
}

TEST(StatusIconPainterTest, EveryTraySizeShowsTheSymbolAndTheBadgeScalesAlong) {
    for (int pixels : {16, 22, 24, 32, 44, 64}) {
        SCOPED_TRACE(pixels);
        const QImage badged = paintStatusIcon({.live = true, .badged = true}, pixels, kInk);
        ASSERT_EQ(badged.size(), QSize(pixels, pixels));
        const double unit = pixels / 18.0;
        // Dot centre and a point of the left half.
        EXPECT_EQ(badged.pixelColor(int(14.5 * unit), int(3.5 * unit)), kInk);
        EXPECT_EQ(badged.pixelColor(int(4 * unit), int(8 * unit)), kInk);
        EXPECT_EQ(alpha(badged, pixels - 1, pixels - 1), 0);
    }
    EXPECT_TRUE(paintStatusIcon({}, 0, kInk).isNull());
}

TEST(StatusIconPainterTest, TheColourStandsOutFromThePanel) {
    QPalette light;
    light.setColor(QPalette::Window, QColor(0xEF, 0xEF, 0xEF));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2B, 0x2B, 0x2B));
    EXPECT_LT(statusIconColour(light).lightness(), 64);
    EXPECT_GT(statusIconColour(dark).lightness(), 192);
    // Mid-grey panels still get a clear contrast either way.
    QPalette midLight, midDark;
    midLight.setColor(QPalette::Window, QColor(0x90, 0x90, 0x90));
    midDark.setColor(QPalette::Window, QColor(0x70, 0x70, 0x70));
    EXPECT_LT(statusIconColour(midLight).lightness(), 64);
    EXPECT_GT(statusIconColour(midDark).lightness(), 192);
}

// The icon as a panel shows it.
QImage onPanel(const QImage& icon, const QColor& panel) {
    QImage shown(icon.size(), QImage::Format_RGB32);
    shown.fill(panel);
    QPainter(&shown).drawImage(0, 0, icon);
    return shown;
}

int standingOut(const QImage& shown, const QColor& panel) {
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) count += contrastRatio(shown.pixelColor(x, y), panel) >= 4.5;
    return count;
}

TEST(StatusIconPainterTest, TheInkReadsOnABlackAndAWhitePanelWhateverIsKnownOfIt) {
    QPalette light;
    light.setColor(QPalette::Window, QColor(0xEF, 0xEF, 0xEF));
    const QColor announced(0xFF, 0xCC, 0x00);
    EXPECT_EQ(statusIconInk({.announcedForeground = announced, .sampledBackground = Qt::black}, light),
              StatusIconInk(announced))
        << "the tray's own colour wins, without an outline";
    for (const QColor panel : {QColor(Qt::black), QColor(Qt::white)}) {
        SCOPED_TRACE(panel.name().toStdString());
        // The panel seen behind the icon, and nothing known at all (a host that draws the icon).
        for (const TrayBackdrop& backdrop : {TrayBackdrop{.sampledBackground = panel}, TrayBackdrop{}}) {
            const StatusIconInk ink = statusIconInk(backdrop, light);
            EXPECT_EQ(ink.halo.has_value(), !backdrop.sampledBackground);
            EXPECT_GT(standingOut(onPanel(paintStatusIcon({.live = true}, 24, ink), panel), panel), 24 * 24 / 5);
            EXPECT_GT(standingOut(onPanel(paintStatusIcon({.live = false}, 24, ink), panel), panel), 24 * 24 / 10)
                << "the outline form too";
        }
    }
    // Between the two, where neither soft ink reads well, the panel seen still gets 4.5:1.
    for (const QColor panel : {QColor(0x80, 0x80, 0x80), QColor(0x76, 0x76, 0x76), QColor(0x6A, 0x6A, 0x6A)})
        EXPECT_GE(contrastRatio(statusIconInk({.sampledBackground = panel}, light).ink, panel), 4.5) << panel.name().toStdString();
}

TEST(StatusIconPainterTest, ThePanelIsReadThroughTheRowsTheIconLeavesEmpty) {
    const QColor panel(0x33, 0x66, 0x99);
    for (int pixels : {16, 22, 24, 48})
        for (bool badged : {false, true}) {
            const StatusIconInk outlined(Qt::white, QColor(Qt::black));
            EXPECT_EQ(backdropColour(onPanel(paintStatusIcon({.live = true, .badged = badged}, pixels, outlined), panel)),
                      panel)
                << pixels << (badged ? " badged" : "");
        }
    EXPECT_FALSE(backdropColour(QImage()));
}

}  // namespace
}  // namespace tessane::qt_backend
