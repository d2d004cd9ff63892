// The cards and the switcher as Qt paints them, offscreen, in light and dark: the notice card's
// accent bar, buttons and shadow, the tips card's symbols and text, the switcher's highlight and
// green dot.
#include "chrome/NoticeCard.h"
#include "chrome/SwitcherView.h"
#include "chrome/TipsCard.h"
#include "platform/qt/panels/PanelPainter.h"
#include "platform/qt/panels/PanelText.h"
#include "platform/qt/panels/QtPanelWidget.h"
#include "platform/qt/tray/StatusIconPainter.h"  // contrastRatio
#include "platform/sim/SimPanels.h"
#include "ui/OffscreenApplication.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

namespace tessane::qt_backend {
namespace {

// Sim panels measured with Qt's fonts, so layouts fit what Qt paints.
class QtMeasuredPanels final : public Panels {
public:
    std::unique_ptr<Panel> makePanel(const PanelOptions& options) override { return sim.makePanel(options); }
    Size measureText(const PanelText& text, double maxWidth) const override {
        const QSizeF s = measurePanelText(text, maxWidth);
        return {s.width(), s.height()};
    }
    sim::SimPanels sim;
};

class CardPaintingTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        uitest::ensureOffscreenApplication();
        setChromeAppearance(dark());
    }
    void TearDown() override { setChromeAppearance(std::nullopt); }
    bool dark() const { return GetParam(); }

    static QImage grab(const PanelDrawing& drawing, Size size) {
        PanelCanvas canvas;
        canvas.setAttribute(Qt::WA_TranslucentBackground, true);
        canvas.resize(static_cast<int>(size.width), static_cast<int>(size.height));
        canvas.setDrawing(drawing);
        return canvas.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    }
    // A drawing point (y up) in an image of height h.
    static QColor at(const QImage& image, double x, double y) {
        return image.pixelColor(static_cast<int>(x), image.height() - 1 - static_cast<int>(y));
    }
    QColor role(ColorRole r) const { return resolveColor({r}, dark()); }

    QtMeasuredPanels panels;
};

TEST_P(CardPaintingTest, NoticeCardShowsItsAccentBarButtonsAndShadow) {
    const CardLayout layout = layoutNoticeCard(
        panels, {std::string("Display is back"), "Move the workspace back to it?", std::string("Move Back"), nullptr, nullptr});
    const double m = CardMetrics::shadowMargin;
    const Size size{layout.size.width + 2 * m, layout.size.height + 2 * m};
    const QImage image = grab(drawCard(layout, m, -1), size);
    const double midY = m + layout.size.height / 2;

    const QColor plate = at(image, m + 8, midY);
    EXPECT_EQ(plate, role(ColorRole::windowBackground)) << "between the bar and the symbol";
    const QColor bar = at(image, m + 1, midY);
    if (dark())
        EXPECT_GT(bar.lightness(), plate.lightness() + 60) << "a light bar on a dark card";
    else
        EXPECT_LT(bar.lightness(), plate.lightness() - 60) << "a dark bar on a light card";

    ASSERT_EQ(layout.buttons.size(), 2u);
    const Rect action = layout.buttons[1].rect;
    const QColor face = at(image, m + action.minX() + 3, m + action.midY());
    EXPECT_NEAR(face.hue(), role(ColorRole::accent).hue(), 6) << "the default button in the accent's hue";
    EXPECT_GE(contrastRatio(Qt::white, face), 4.5) << "deep enough for its white title";
    const Rect notNow = layout.buttons[0].rect;
    const QColor quiet = at(image, m + notNow.minX() + 3, m + notNow.midY());
    EXPECT_NE(quiet, plate) << "the quiet button has its own fill";
    EXPECT_LT(std::abs(quiet.lightness() - plate.lightness()), 60) << "but no accent";

    EXPECT_GT(at(image, m + layout.size.width / 2, m - 3).alpha(), 0) << "the shadow under the card";
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "clear at the margin's corner";
}

TEST_P(CardPaintingTest, TipsCardPaintsItsSymbolsAndText) {
    const CardLayout layout = layoutTipsCard(panels, nullptr);
    const double m = CardMetrics::shadowMargin;
    const QImage image = grab(drawCard(layout, m, -1), {layout.size.width + 2 * m, layout.size.height + 2 * m});
    const QColor plate = role(ColorRole::windowBackground);
    // Every symbol and text puts something other than the plate in its box.
    for (const DrawOp& op : layout.content) {
        int inked = 0;
        for (double y = op.rect.minY(); y < op.rect.maxY(); y += 1)
            for (double x = op.rect.minX(); x < op.rect.maxX(); x += 1) inked += at(image, m + x, m + y) != plate;
        EXPECT_GT(inked, 4) << static_cast<int>(op.kind);
        // Small text reads at 4.5:1 on the card.
        const QColor ink = resolveColor(op.color, dark());
        const auto over = [&](float c, float p) { return c * ink.alphaF() + p * (1 - ink.alphaF()); };
        if (op.kind == DrawOp::Kind::styledText) {
            EXPECT_GE(contrastRatio(QColor::fromRgbF(over(ink.redF(), plate.redF()), over(ink.greenF(), plate.greenF()),
                                                     over(ink.blueF(), plate.blueF())), plate), 4.5);
        }
    }
    // The sparkles are in the accent colour.
    const DrawOp& sparkles = layout.content.front();
    ASSERT_EQ(sparkles.symbol, PanelSymbol::sparkles);
    bool accent = false;
    for (double y = sparkles.rect.minY(); y < sparkles.rect.maxY(); y += 1)
        for (double x = sparkles.rect.minX(); x < sparkles.rect.maxX(); x += 1)
            accent |= at(image, m + x, m + y) == role(ColorRole::accent);
    EXPECT_TRUE(accent);
}

QByteArray pngOf(QColor colour) {
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    icon.save(&buffer, "PNG");
    return bytes;
}

TEST_P(CardPaintingTest, SwitcherShowsTheHighlightTheGreenDotAndTheIcons) {
    const QByteArray png = pngOf(QColor(200, 30, 30));
    auto panel = panels.makePanel({.level = PanelLevel::switcher, .ignoresMouse = true});
    SwitcherView view(*panel, panels);
    view.setContent({{"Work", {Bytes(png.begin(), png.end())}, true}, {"Play", {}, false}}, 0);
    panel->setFrame({0, 0, view.fittingSize().width, view.fittingSize().height});
    view.display();
    const PanelDrawing& drawing = static_cast<sim::SimPanel&>(*panel).drawing();
    const QImage image = grab(drawing, view.fittingSize());

    const Rect selected = view.itemRects()[0];
    const Rect other = view.itemRects()[1];
    const QColor lit = at(image, selected.minX() + 4, selected.midY());
    const QColor plain = at(image, other.minX() + 4, other.midY());
    EXPECT_GT(lit.blue(), lit.red() + 40) << "the accent tint behind the selected item";
    EXPECT_LT(std::abs(plain.blue() - plain.red()), 12) << "none behind the others";
    // Opaque: a gutter line behind the switcher never crosses a tile or its name.
    EXPECT_EQ(lit.alpha(), 255);
    EXPECT_EQ(plain.alpha(), 255);

    int dots = 0;
    for (const DrawOp& op : drawing) {
        if (op.kind == DrawOp::Kind::fillEllipse) {
            ++dots;
            const QColor c = at(image, op.rect.midX(), op.rect.midY());
            EXPECT_GT(c.green(), c.red() + 60);
            EXPECT_GT(c.green(), c.blue() + 60);
        }
        if (op.kind == DrawOp::Kind::image) {
            const QColor c = at(image, op.rect.midX(), op.rect.midY());
            EXPECT_EQ(c, QColor(200, 30, 30)) << "the icon stretched into its 44-point square";
        }
    }
    EXPECT_EQ(dots, 1);
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, CardPaintingTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "dark" : "light"; });

}  // namespace
}  // namespace tessane::qt_backend
