// The chrome's panels as Qt paints them, offscreen: what the core draws must come out in the
// palette's colours, in the right place (drawings are y up, widgets y down).
#include "chrome/MoveRailView.h"
#include "chrome/PaneViews.h"
#include "platform/qt/PanelPainter.h"
#include "platform/qt/QtPanelWidget.h"
#include "platform/sim/SimPanels.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cstdlib>

namespace tessane::qt_backend {
namespace {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "tests_chrome_qt";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        new QApplication(argc, argv);
    }
}

class ChromePaintingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        setChromeAppearance(false);
    }
    void TearDown() override { setChromeAppearance(std::nullopt); }

    // A drawing painted on a canvas of `size`, grabbed.
    static QImage grab(const PanelDrawing& drawing, Size size) {
        PanelCanvas canvas;
        canvas.setAttribute(Qt::WA_TranslucentBackground, true);
        canvas.resize(static_cast<int>(size.width), static_cast<int>(size.height));
        canvas.setDrawing(drawing);
        return canvas.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    }
    template <typename View>
    PanelDrawing drawingOf(Size size, const std::function<void(View&)>& adjust = nullptr) {
        auto& p = static_cast<sim::SimPanel&>(*owned.emplace_back(panels.makePanel({.name = "t"})));
        p.setFrame({0, 0, size.width, size.height});
        views.push_back(std::make_unique<View>(p));
        auto& view = static_cast<View&>(*views.back());
        if (adjust) adjust(view);
        view.display();
        return p.drawing();
    }
    static QColor underPage(bool dark) { return resolveColor({ColorRole::underPageBackground}, dark); }

    sim::SimPanels panels;
    std::vector<std::unique_ptr<Panel>> owned;
    std::vector<std::unique_ptr<ChromeView>> views;
};

TEST_F(ChromePaintingTest, MatFillsItsPanelWithRoundedCornersInLightAndDark) {
    const auto drawing = drawingOf<PaneMatView>({200, 100});
    QImage light = grab(drawing, {200, 100});
    EXPECT_EQ(light.pixelColor(100, 50), underPage(false));
    EXPECT_EQ(light.pixelColor(199, 50), underPage(false)) << "edge to edge away from the corners";
    EXPECT_EQ(light.pixelColor(0, 0).alpha(), 0) << "a 12-point corner radius leaves the corner clear";
    EXPECT_EQ(light.pixelColor(199, 99).alpha(), 0);

    setChromeAppearance(true);
    QImage dark = grab(drawing, {200, 100});
    EXPECT_EQ(dark.pixelColor(100, 50), underPage(true));
    EXPECT_NE(underPage(true), underPage(false));
}

TEST_F(ChromePaintingTest, ShieldCoversEveryPixelOfItsStrip) {
    QImage image = grab(drawingOf<PaneClickShieldView>({6, 80}), {6, 80});
    for (int y : {0, 40, 79})
        for (int x : {0, 5}) EXPECT_EQ(image.pixelColor(x, y), underPage(false)) << x << "," << y;
}

TEST_F(ChromePaintingTest, RailPillHangsFromTheTopAndGrowsWhenHovered) {
    const QColor idle = resolveColor({ColorRole::secondaryLabel}, false);
    QImage thin = grab(drawingOf<MoveRailView>({80, 12}), {80, 12});
    EXPECT_GT(thin.pixelColor(40, 1).alpha(), 0) << "the pill is at the top of the panel";
    EXPECT_EQ(thin.pixelColor(40, 1).red(), idle.red());
    EXPECT_EQ(thin.pixelColor(40, 6).alpha(), 0) << "3 points thick when idle";
    EXPECT_EQ(thin.pixelColor(10, 1).alpha(), 0) << "40 points wide, centred";

    QImage wide = grab(drawingOf<MoveRailView>({80, 12}, [](MoveRailView& v) { v.hovering = true; }), {80, 12});
    EXPECT_GT(wide.pixelColor(40, 6).alpha(), 0) << "8 points thick under the pointer";
    EXPECT_EQ(wide.pixelColor(40, 10).alpha(), 0);
}

TEST_F(ChromePaintingTest, ShapeOfADrawingFollowsWhatItCovers) {
    const QRegion mat = drawingRegion(drawingOf<PaneMatView>({200, 100}), {200, 100});
    EXPECT_TRUE(mat.contains(QPoint(100, 50)));
    EXPECT_FALSE(mat.contains(QPoint(0, 0)));
    const QRegion rail = drawingRegion(drawingOf<MoveRailView>({80, 12}), {80, 12});
    EXPECT_TRUE(rail.contains(QPoint(40, 1)));
    EXPECT_FALSE(rail.contains(QPoint(40, 8)));
}

TEST_F(ChromePaintingTest, CanvasTurnsMouseEventsIntoPanelInput) {
    PanelCanvas canvas;
    canvas.resize(50, 50);
    std::vector<std::tuple<PanelInput::Kind, int, bool>> got;
    canvas.setInputSink([&](PanelInput::Kind kind, QPointF, int clicks, bool control) {
        got.emplace_back(kind, clicks, control);
    });
    auto send = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, Qt::KeyboardModifiers mods = {}) {
        QMouseEvent e(type, QPointF(10, 10), QPointF(110, 210), button, held, mods);
        QCoreApplication::sendEvent(&canvas, &e);
    };
    using K = PanelInput::Kind;
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton);
    canvas.cancelPress();
    send(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton);
    send(QEvent::MouseMove, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(got, (std::vector<std::tuple<K, int, bool>>{{K::leftDown, 1, true},
                                                           {K::leftDragged, 1, false},
                                                           {K::leftUp, 1, false},
                                                           {K::leftDown, 2, false},
                                                           {K::trackingCancelled, 1, false},
                                                           {K::rightDown, 1, false}}));
}

}  // namespace
}  // namespace tessane::qt_backend
