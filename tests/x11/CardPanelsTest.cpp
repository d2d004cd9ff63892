// A notice card's real window over a real client: clicks on the card stay with it, clicks on
// its shadow margin reach the window below, it takes the keyboard only once clicked.
#include "chrome/WorkspaceNoticeController.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/x11/X11ScreenSpace.h"
#include "platform/qt/panels/PanelPainter.h"
#include "platform/qt/panels/QtAnimator.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/panels/QtPanels.h"
#include "x11/WidgetApplication.h"
#include "x11/QtPanelsTest.h"

#include <QApplication>
#include <QMenu>

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

namespace tessane::x11test {
namespace {

using linux_backend::XWindowId;

class CardPanelsTest : public QtPanelsTest {
protected:
    void SetUp() override {
        QtPanelsTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        animator_ = std::make_unique<qt_backend::QtAnimator>(*panels_);
        notice_ = std::make_unique<WorkspaceNoticeController>(*panels_, *animator_, *screens_, *queue_);
    }
    void TearDown() override {
        notice_.reset();
        animator_.reset();
        QtPanelsTest::TearDown();
    }
    Rect screenFromRoot(const Rect& r) const {
        const Point o = space_->screenFromRoot({r.minX(), r.maxY()});
        return {o.x, o.y, r.width(), r.height()};
    }
    void click(int x, int y) {
        EXPECT_EQ(server_->run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"}), 0);
    }
    XWindowId focused() {
        Window w = 0;
        int revert = 0;
        XGetInputFocus(x_->display(), &w, &revert);
        return w;
    }
    std::unique_ptr<qt_backend::QtAnimator> animator_;
    std::unique_ptr<WorkspaceNoticeController> notice_;
};

TEST_F(CardPanelsTest, TheCardKeepsItsClicksItsMarginPassesThemAndReturnWorksOnceClicked) {
    auto& client = startClient({"--pos", "200,200", "--size", "600x400", "--report-clicks"});
    ASSERT_EQ(client.windows.size(), 1u);
    ASSERT_TRUE(waitFor([&] { return placedAt(client.windows[0], {200, 200}); }));
    const Rect a = x_->freshGeometry(client.windows[0])->rootRect;

    int runs = 0;
    notice_->show(std::string("Display is back"), "Move the workspace back?", std::string("Move Back"),
                  screenFromRoot(a), std::nullopt, [&] { ++runs; });
    auto* panel = static_cast<qt_backend::QtPanel*>(notice_->panel());
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(waitFor([&] { return panel->isMapped() && panel->alpha() == 1; }));
    const XWindowId cardWindow = panel->windowId();
    EXPECT_NE(focused(), cardWindow) << "shown without taking the keyboard";

    const Rect card = space_->rootFromScreen(CardView::cardFrame(panel->frame()));
    // In the shadow margin, left of the card: the client below hears it.
    const int marginX = static_cast<int>(card.minX()) - 6, midY = static_cast<int>(card.midY());
    click(marginX, midY);
    EXPECT_EQ(client.process->waitForLine("click ", 3s),
              "click " + std::to_string(marginX - static_cast<int>(a.minX())) + "," +
                  std::to_string(midY - static_cast<int>(a.minY())));

    // On the card, away from its buttons: the card keeps the click and takes the keyboard.
    click(static_cast<int>(card.minX()) + 8, static_cast<int>(card.minY()) + 8);
    ASSERT_TRUE(waitFor([&] { return focused() == cardWindow; })) << "clicked, the card has the keyboard";
    // The press went to the card, which acted on it: the client, had it heard it, has said so.
    EXPECT_FALSE(client.process->readLine(1ms)) << "the client heard nothing";
    EXPECT_TRUE(notice_->hasPanel());

    EXPECT_EQ(server_->run({"xdotool", "key", "Return"}), 0);
    ASSERT_TRUE(waitFor([&] { return runs == 1; })) << "Return pressed the action";
    EXPECT_FALSE(notice_->hasPanel());
}

TEST_F(CardPanelsTest, WithACompositingManagerTheShadowMarginTakesNoClicks) {
    // Stand in for a compositing manager by holding its selection.
    Window owner = XCreateSimpleWindow(x_->display(), x_->root(), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(x_->display(), x_->atom("_NET_WM_CM_S0"), owner, CurrentTime);
    x_->sync();
    qt_backend::QtPanels composited(*space_, *x_);
    qt_backend::QtAnimator animator(composited);
    ASSERT_TRUE(composited.compositing());
    {
        WorkspaceNoticeController notice(composited, animator, *screens_, *queue_);
        notice.show(std::nullopt, "Folded", std::nullopt, {100, 100, 800, 600}, std::nullopt, nullptr);
        auto* panel = static_cast<qt_backend::QtPanel*>(notice.panel());
        ASSERT_TRUE(waitFor([&] { return panel->isMapped(); }));
        int count = 0, ordering = 0;
        XRectangle* rects = XShapeGetRectangles(x_->display(), panel->windowId(), ShapeInput, &count, &ordering);
        ASSERT_GT(count, 0);
        int minX = 1 << 20, minY = 1 << 20, maxX = 0, maxY = 0;
        for (int i = 0; i < count; ++i) {
            minX = std::min<int>(minX, rects[i].x);
            minY = std::min<int>(minY, rects[i].y);
            maxX = std::max<int>(maxX, rects[i].x + rects[i].width);
            maxY = std::max<int>(maxY, rects[i].y + rects[i].height);
        }
        XFree(rects);
        const int m = static_cast<int>(CardMetrics::shadowMargin);
        const Rect frame = panel->frame();
        EXPECT_EQ(minX, m) << "input starts at the card, not at the shadow";
        EXPECT_EQ(minY, m);
        EXPECT_EQ(maxX, static_cast<int>(frame.width()) - m);
        EXPECT_EQ(maxY, static_cast<int>(frame.height()) - m);
    }
    XDestroyWindow(x_->display(), owner);
}

// A card coming up while a menu of ours is open leaves the menu open.
TEST_F(CardPanelsTest, ACardShownUnderAnOpenMenuLeavesItOpen) {
    QMenu menu;
    menu.addAction("One");
    menu.popup(QPoint(300, 300));
    ASSERT_TRUE(waitFor([&] { return menu.isVisible(); }));
    notice_->show(std::string("Display is back"), "Move the workspace back?", std::string("Move Back"),
                  screenFromRoot(Rect(200, 200, 600, 400)), std::nullopt, [] {});
    auto* panel = static_cast<qt_backend::QtPanel*>(notice_->panel());
    ASSERT_TRUE(waitFor([&] { return panel->isMapped() && panel->alpha() == 1; }));
    // Once Qt has heard whatever the card's show, and the window manager about it, did.
    ASSERT_TRUE(qtAndManagerSettled(*x_, static_cast<uint32_t>(menu.winId())));
    EXPECT_TRUE(menu.isVisible());
}

}  // namespace
}  // namespace tessane::x11test
