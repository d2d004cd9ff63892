// The chrome's panels as Qt paints them, offscreen: what the core draws must come out in the
// palette's colours, in the right place (drawings are y up, widgets y down).
#include "chrome/DividerDragView.h"
#include "chrome/MoveRailView.h"
#include "chrome/PaneDragOverlayView.h"
#include "chrome/PlacementOverlay.h"
#include "chrome/PaneViews.h"
#include "platform/qt/panels/PanelPainter.h"
#include "platform/qt/tray/QtMenus.h"
#include "platform/qt/panels/QtPanelWidget.h"
#include "platform/sim/SimPanels.h"
#include "ui/OffscreenApplication.h"

#include <QApplication>
#include <QAction>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cstdlib>

namespace tessane::qt_backend {
namespace {

class ChromePaintingTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::ensureOffscreenApplication();
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

TEST_F(ChromePaintingTest, HandleBarThickensUnderThePointer) {
    // A vertical handle 16 wide: the bar is 2 points wide idle, 6 when lit, centred on x = 8.
    QImage idle = grab(drawingOf<DividerDragView>({16, 100}), {16, 100});
    EXPECT_GT(idle.pixelColor(7, 30).alpha(), 0);
    EXPECT_EQ(idle.pixelColor(5, 30).alpha(), 0);
    QImage lit = grab(drawingOf<DividerDragView>({16, 100}, [](DividerDragView& v) { v.hovering = true; }), {16, 100});
    EXPECT_GT(lit.pixelColor(5, 30).alpha(), 0);
    EXPECT_EQ(lit.pixelColor(4, 30).alpha(), 0);
    EXPECT_GT(lit.pixelColor(7, 30).alpha(), idle.pixelColor(7, 30).alpha()) << "and darker";
    EXPECT_EQ(idle.pixelColor(8, 1).alpha(), 0) << "4 points short of each end";
}

TEST_F(ChromePaintingTest, DraggedRailPillIsThickAndAccentColoured) {
    const QColor accent = resolveColor({ColorRole::accent}, false);
    QImage dragged = grab(drawingOf<MoveRailView>({80, 12}, [](MoveRailView& v) { v.dragging = true; }), {80, 12});
    EXPECT_EQ(dragged.pixelColor(40, 6).rgb(), accent.rgb());
    QImage pinned = grab(drawingOf<MoveRailView>({80, 12}, [](MoveRailView& v) {
                             v.dragging = true;
                             v.mayBorrowAppPixels = false;
                         }),
                         {80, 12});
    EXPECT_EQ(pinned.pixelColor(40, 6).alpha(), 0) << "no panes to borrow from: thin even while dragged";
}

TEST_F(ChromePaintingTest, DragOverlayCoversTheContainerWithOneCardPerPane) {
    const auto drawing = drawingOf<PaneDragOverlayView>({206, 106}, [](PaneDragOverlayView& v) {
        v.configure(LayoutType::leftRightSplit, {0.5}, {}, 2, 0);
    });
    QImage image = grab(drawing, {206, 106});
    const QColor backdrop = resolveColor({ColorRole::windowBackground, 0.96}, false);
    EXPECT_EQ(image.pixelColor(1, 50).alpha(), 0) << "the 3-point margin stays clear";
    EXPECT_EQ(image.pixelColor(103, 50).red(), backdrop.red()) << "the gutter shows the backdrop";
    EXPECT_NE(image.pixelColor(50, 50), image.pixelColor(103, 50)) << "a card lies on each pane";
    EXPECT_EQ(image.pixelColor(50, 50), image.pixelColor(155, 50));
}

TEST_F(ChromePaintingTest, GripDotsOnlyOnAHandleLongerThan42) {
    // The middle dot sits on the bar's centre; where it is drawn the pixel is far darker than
    // the faint idle bar alone.
    QImage shortHandle = grab(drawingOf<DividerDragView>({16, 42}), {16, 42});
    QImage longHandle = grab(drawingOf<DividerDragView>({16, 44}), {16, 44});
    EXPECT_LT(shortHandle.pixelColor(7, 21).alpha(), 60);
    EXPECT_GT(longHandle.pixelColor(7, 22).alpha(), 90);
    EXPECT_GT(longHandle.pixelColor(7, 22 - 7).alpha(), 90) << "and 7 points either side";
    EXPECT_GT(longHandle.pixelColor(7, 22 + 7).alpha(), 90);
}

TEST_F(ChromePaintingTest, PlacementCardDrawsItsGuideAndTitle) {
    const auto plain = drawingOf<PlacementOverlayView>({248, 148});
    const auto titled = drawingOf<PlacementOverlayView>({248, 148}, [](PlacementOverlayView& v) { v.title = "Write"; });
    QImage a = grab(plain, {248, 148});
    QImage b = grab(titled, {248, 148});
    EXPECT_EQ(a.pixelColor(5, 5).alpha(), 0) << "the 24-point margin stays clear";
    EXPECT_GT(a.pixelColor(60, 74).alpha(), 0) << "the card";
    EXPECT_NE(a.pixelColor(124, 40), a.pixelColor(100, 40)) << "the vertical guide at the card's middle";
    int changed = 0;
    for (int y = 64; y < 84; ++y)
        for (int x = 104; x < 144; ++x) changed += a.pixelColor(x, y) != b.pixelColor(x, y);
    EXPECT_GT(changed, 20) << "the title is drawn over the card's centre";
}

TEST_F(ChromePaintingTest, MenuShowsShortcutsToolTipsAndRunsTheChoiceAfterItCloses) {
    int ran = 0;
    MenuContent content{{{.kind = MenuItem::Kind::header, .title = "Write"},
                   {.kind = MenuItem::Kind::separator},
                   {.title = "Focus Next Pane", .shortcut = "Super+Ctrl+Right", .action = [&] { ++ran; }},
                   {.title = "Release Windows", .toolTip = "Stop tiling.", .action = [&] { ++ran; }}}};
    std::unique_ptr<QMenu> menu(QtMenus::build(content));
    EXPECT_TRUE(menu->toolTipsVisible());
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_FALSE(actions[0]->isEnabled());
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "Focus Next Pane\tSuper+Ctrl+Right");
    EXPECT_EQ(actions[3]->toolTip(), "Stop tiling.");
    actions[2]->trigger();
    EXPECT_EQ(ran, 0) << "not inside the menu's own event handling";
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 1);
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
