// Where clicks and drags on the chrome's real windows go on a private X server with a window
// manager: shields and click-through panels, the global monitors, and the user's gestures on the
// rail and the handle moving real client windows.
#include "chrome/ChromeGeometry.h"
#include "layout/ScreenGeometry.h"
#include "platform/qt/panels/QtAnimator.h"
#include "platform/qt/tray/QtMenus.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>

// Last: Xlib's macros must not reach the headers above.
#include "x11/ChromePanelsTest.h"
#include "x11/support/ShownOnScreen.h"

namespace tessane::x11test {
namespace {

TEST_F(ChromePanelsTest, ShieldsSwallowClicksClickThroughPanelsPassThemAndOrderOutUnmapsAll) {
    XWindowId client = 0;
    Client* process = nullptr;
    const Rect c = showChromeOverClient(&client, &process);
    const int midY = static_cast<int>(c.midY()) + 100;
    ASSERT_TRUE(pixelBecomes(static_cast<int>(c.minX()) + 1, midY, underPage()));

    std::vector<Point> shieldClicks;
    for (auto& p : chrome_->paneMat.shieldPanels())
        p->setInputHandler([&](const PanelInput& in) {
            if (in.kind == PanelInput::Kind::leftDown) shieldClicks.push_back(in.location);
        });
    click(static_cast<int>(c.minX()) + 1, midY);
    ASSERT_TRUE(waitFor([&] { return !shieldClicks.empty(); }));
    const Point expected = space_->screenFromRoot({c.minX() + 1, static_cast<double>(midY)});
    EXPECT_EQ(shieldClicks[0], expected) << "delivered in screen coordinates";

    // A panel that ignores the mouse, drawn over the client: the click reaches the client.
    auto glass = panels_->makePanel({.level = PanelLevel::shield, .ignoresMouse = true, .name = "glass"});
    DrawOp fill;
    fill.rect = {0, 0, 100, 100};
    fill.color = {ColorRole::accent};
    glass->setDrawing({fill});
    glass->setFrame(screenFromRoot({c.minX() + 50, static_cast<double>(midY - 50), 100, 100}));
    glass->orderFront();
    const Rgb accent = rgbOf(qt_backend::resolveColor({ColorRole::accent}, false));
    ASSERT_TRUE(pixelBecomes(static_cast<int>(c.minX()) + 100, midY, accent));
    click(static_cast<int>(c.minX()) + 100, midY);
    const Rect a = x_->geometry(client)->rootRect;
    const std::string inClient = "click " + std::to_string(static_cast<int>(c.minX() + 100 - a.minX())) + "," +
                                 std::to_string(static_cast<int>(midY - a.minY()));
    // The first click the client hears: the one on the shield never reached it.
    EXPECT_EQ(process->process->waitForLine("click ", 3s), inClient) << "the click went through the glass to the client";
    EXPECT_EQ(shieldClicks.size(), 1u);
    // The rail's lower corner lies over a pane, where a framed window's title-bar buttons would be:
    // the click there is the window's.
    const auto* railPanel = static_cast<qt_backend::QtPanel*>(chrome_->headerPanel.get());
    const QRect rail = railPanel->rootFrame();
    ASSERT_TRUE(waitFor([&] { return stackIndex(railPanel->windowId()) > stackIndex(client); })) << "back above the client clicked";
    click(rail.left() + 1, rail.bottom());
    EXPECT_EQ(process->process->waitForLine("click ", 3s),
              "click " + std::to_string(rail.left() + 1 - static_cast<int>(a.minX())) + "," + std::to_string(rail.bottom() - static_cast<int>(a.minY())));

    chrome_->orderOut();
    glass->orderOut();
    const auto ours = ourWindows();
    EXPECT_TRUE(waitFor([&] {
        for (auto w : ours)
            if (x11test::shownOnScreen(x_->display(), w)) return false;
        return true;
    })) << "orderOut takes every window of the chrome off the screen";
    EXPECT_TRUE(pixelBecomes(static_cast<int>(c.minX()) + 1, midY, kWhite));
}

TEST_F(ChromePanelsTest, GlobalMonitorsHearPointerAndButtonsWithoutPolling) {
    ASSERT_TRUE(monitors_->hasXInput2());
    std::vector<GlobalEvent> moved, ups;
    auto m = monitors_->addGlobalMonitor(GlobalEventKind::mouseMoved, [&](const GlobalEvent& e) { moved.push_back(e); });
    auto u = monitors_->addGlobalMonitor(GlobalEventKind::leftMouseUp, [&](const GlobalEvent& e) { ups.push_back(e); });
    ASSERT_TRUE(m && u);
    // A warp of the pointer is no device motion; the relative move after it is.
    ASSERT_EQ(server_->run({"xdotool", "mousemove", "299", "400"}), 0);
    ASSERT_EQ(server_->run({"xdotool", "mousemove_relative", "1", "0"}), 0);
    ASSERT_TRUE(waitFor([&] { return !moved.empty() && moved.back().location == Point(300, 1080 - 400); }));
    EXPECT_EQ(monitors_->mouseLocation(), Point(300, 680)) << "screen coordinates, y up";
    ASSERT_EQ(server_->run({"xdotool", "click", "1"}), 0);
    ASSERT_TRUE(waitFor([&] { return !ups.empty(); }));
    EXPECT_EQ(ups[0].location, Point(300, 680));

    std::vector<uint32_t> flags;
    auto f = monitors_->addGlobalMonitor(GlobalEventKind::flagsChanged,
                                         [&](const GlobalEvent& e) { flags.push_back(e.modifiers); });
    ASSERT_EQ(server_->run({"xdotool", "keydown", "ctrl", "keydown", "alt"}), 0);
    ASSERT_TRUE(waitFor([&] { return !flags.empty() && flags.back() == (ModifierFlag::control | ModifierFlag::option); }));
    ASSERT_EQ(server_->run({"xdotool", "keyup", "alt", "keyup", "ctrl"}), 0);
    ASSERT_TRUE(waitFor([&] { return flags.back() == 0; }));

    m.reset();
    u.reset();
    moved.clear();
    // A monitor added now hears the move: the one that ended would have heard it by then.
    std::vector<GlobalEvent> later;
    auto n = monitors_->addGlobalMonitor(GlobalEventKind::mouseMoved, [&](const GlobalEvent& e) { later.push_back(e); });
    ASSERT_EQ(server_->run({"xdotool", "mousemove_relative", "10", "0"}), 0);
    ASSERT_TRUE(waitFor([&] { return !later.empty(); }));
    EXPECT_TRUE(moved.empty()) << "a monitor that ended hears nothing";
}

// Two real client windows tiled side by side in a container, with the chrome around them and,
// standing in for the workspace controller, a placement of both windows into the chrome's
// panes whenever the chrome reports a change. Answers the two windows.
class ChromeGesturesTest : public ChromePanelsTest {
protected:
    std::pair<XWindowId, XWindowId> tileTwoClients(const Rect& containerRoot) {
        // Undecorated (a client-drawn frame without margins), so that each window's client area
        // is the whole frame the stand-in places into a pane.
        auto& a = startClient({"--pos", "100,150", "--size", "500x300", "--shadow", "0,0,0,0"});
        auto& b = startClient({"--pos", "700,150", "--size", "500x300", "--shadow", "0,0,0,0"});
        windows_ = {a.windows.at(0), b.windows.at(0)};
        animator_ = std::make_unique<qt_backend::QtAnimator>(*panels_);
        platform_.animator = animator_.get();
        menus_ = std::make_unique<qt_backend::QtMenus>(*space_);
        platform_.menus = menus_.get();
        chrome_ = std::make_unique<ContainerWindowController>(platform_);
        chrome_->headerPanel = chrome_->makeRailPanel();
        chrome_->currentLayoutType = LayoutType::leftRightSplit;
        chrome_->currentAppCount = 2;
        chrome_->currentRatios = {0.5};
        chrome_->containerCocoaRect = screenFromRoot(containerRoot);
        chrome_->onDividerCommitted = [this](const std::vector<double>&) {
            ++commits_;
            place();
            chrome_->endDividerSettle();
        };
        chrome_->onContainerChanged = [this](const Rect& ax) {
            ++moves_;
            chrome_->containerCocoaRect =
                ScreenGeometry::screenRectFromAX(ax, ScreenGeometry::primaryDisplayHeight(*screens_));
            place();
        };
        chrome_->applyGeometry(true);
        chrome_->orderFront();
        place();
        return {windows_[0], windows_[1]};
    }
    // The panes of the chrome's container, in root coordinates.
    std::vector<Rect> paneRects() const {
        const auto layout = ChromeGeometry::paneLayout(chrome_->currentLayoutType, chrome_->containerCocoaRect,
                                                       chrome_->currentAppCount, chrome_->currentRatios);
        std::vector<Rect> out;
        for (const Rect& pane : layout.appFrames) out.push_back(space_->rootFromScreen(pane));
        return out;
    }
    void place() {
        const auto panes = paneRects();
        for (size_t i = 0; i < windows_.size() && i < panes.size(); ++i) x_->requestMoveResize(windows_[i], panes[i].origin, panes[i].size);
    }
    bool windowsAt(const std::vector<Rect>& want) {
        return waitFor([&] {
            for (size_t i = 0; i < want.size(); ++i) {
                auto g = x_->geometry(windows_[i]);
                if (!g) return false;
                const Rect r = g->rootRect;
                if (std::abs(r.minX() - want[i].minX()) > 1 || std::abs(r.minY() - want[i].minY()) > 1 ||
                    std::abs(r.width() - want[i].width()) > 1 || std::abs(r.height() - want[i].height()) > 1)
                    return false;
            }
            return true;
        });
    }
    // Whether the mat's window is shown and the topmost window shown at `p` (root coordinates) is
    // the rail's, once the window manager has stacked the mat. KWin under load frames the mat a
    // moment after the chrome came up (up to 50 ms after the windows are in place) and stacks the
    // new frame over the chrome until our stacking rule, hearing of it, puts the chrome back.
    bool railSettledOnTopAt(Point p) {
        const auto stacked = [&] {
            const auto* mat = static_cast<const qt_backend::QtPanel*>(chrome_->paneMat.matPanel());
            const auto list = x_->windowList(x_->root(), "_NET_CLIENT_LIST_STACKING");
            return mat && list && std::find(list->begin(), list->end(), mat->windowId()) != list->end();
        };
        if (!waitFor(stacked) || !x_->windowManagerRoundTrip(5)) return false;
        return waitFor([&] { return railOnTopAt(p); });
    }
    bool railOnTopAt(Point p) {
        Display* d = x_->display();
        XWindowAttributes a{};
        const auto* mat = static_cast<const qt_backend::QtPanel*>(chrome_->paneMat.matPanel());
        if (!mat || !XGetWindowAttributes(d, mat->windowId(), &a) || a.map_state != IsViewable) return false;
        const auto order = rootChildrenBottomToTop();
        const auto* rail = static_cast<const qt_backend::QtPanel*>(chrome_->headerPanel.get());
        for (auto w = order.rbegin(); w != order.rend(); ++w)
            if (x11test::shownOnScreen(d, *w, &a) && a.x <= p.x && p.x < a.x + a.width &&
                a.y <= p.y && p.y < a.y + a.height)
                return *w == rail->windowId() || *w == rail->inputWindow();
        return false;
    }
    // A press at `from`, the pointer moved to `to` in steps, the release.
    void dragWithXdotool(Point from, Point to) {
        auto arg = [](double v) { return std::to_string(static_cast<int>(std::lround(v))); };
        ASSERT_EQ(server_->run({"xdotool", "mousemove", arg(from.x), arg(from.y), "mousedown", "1"}), 0);
        keepTurning(150ms);
        for (int step = 1; step <= 5; ++step) {
            const double t = step / 5.0;
            ASSERT_EQ(server_->run({"xdotool", "mousemove", arg(from.x + (to.x - from.x) * t),
                                    arg(from.y + (to.y - from.y) * t)}),
                      0);
            keepTurning(60ms);
        }
        ASSERT_EQ(server_->run({"xdotool", "mouseup", "1"}), 0);
    }

    std::unique_ptr<qt_backend::QtAnimator> animator_;
    std::unique_ptr<qt_backend::QtMenus> menus_;
    std::vector<XWindowId> windows_;
    int commits_ = 0;
    int moves_ = 0;
};

TEST_F(ChromeGesturesTest, DraggingTheRealHandleReSplitsTheTwoWindows) {
    const Rect container{100, 150, 1206, 406};  // inner 1200 wide from x = 103
    tileTwoClients(container);
    ASSERT_TRUE(windowsAt({{103, 153, 597, 400}, {706, 153, 597, 400}}));
    ASSERT_TRUE(waitFor([&] { return chrome_->dividerPanels.at(0)->isVisible(); }));

    // The handle's middle is the gutter's, 703; the pointer ends 400 points into the panes.
    dragWithXdotool({703, 350}, {503, 350});
    ASSERT_TRUE(waitFor([&] { return commits_ == 1; })) << "the release reached the handle";
    EXPECT_DOUBLE_EQ(chrome_->currentRatios.at(0), 397.0 / 1194);
    EXPECT_TRUE(windowsAt({{103, 153, 397, 400}, {506, 153, 797, 400}}));
    EXPECT_TRUE(waitFor([&] { return !chrome_->dragOverlayWindow->isVisible(); })) << "the overlay settles away";
}

TEST_F(ChromeGesturesTest, DraggingTheRailMovesBothWindowsWithTheContainer) {
    const Rect container{100, 150, 1206, 406};
    tileTwoClients(container);
    ASSERT_TRUE(windowsAt({{103, 153, 597, 400}, {706, 153, 597, 400}}));

    // On the pill, left of the handle below it; 80 right and 60 down.
    ASSERT_TRUE(railSettledOnTopAt({683, 152})) << "the rail lies under another window";
    dragWithXdotool({683, 152}, {763, 212});
    ASSERT_TRUE(waitFor([&] { return moves_ == 1; })) << "the drop reports the new container";
    EXPECT_TRUE(windowsAt({{183, 213, 597, 400}, {786, 213, 597, 400}}));
    EXPECT_EQ(static_cast<qt_backend::QtPanel*>(chrome_->headerPanel.get())->frame(),
              ChromeGeometry::railFrame(chrome_->containerCocoaRect));
    EXPECT_TRUE(chrome_->paneMat.matPanel()->isVisible()) << "the mat is back after the drop";
}

// While the user drags a tiled window, the shields and the handle are ordered out; on the drop
// they are mapped again, where the server kept them under the card. A compositing manager that
// paints a window mapped again above the others until it hears of a restack (KWin) must hear of
// one, or the chrome covers the card.
TEST_F(ChromeGesturesTest, TheChromeShownAgainAfterAUsersDragOfATiledWindowStaysUnderTheCard) {
    const Rect container{100, 150, 1206, 406};
    tileTwoClients(container);
    ASSERT_TRUE(windowsAt({{103, 153, 597, 400}, {706, 153, 597, 400}}));
    auto card = panels_->makePanel({.level = PanelLevel::card, .name = "card"});
    card->setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 200, 100}, {ColorRole::accent})});
    card->setFrame(screenFromRoot({603, 300, 200, 100}));
    card->orderFront();
    const Rgb accent = rgbOf(qt_backend::resolveColor({ColorRole::accent}, false));
    ASSERT_TRUE(pixelBecomes(703, 350, accent)) << "the card over the gutter: " << pixel(703, 350);
    // The gutter above the card shows the handle's bar, and something else while the chrome is
    // away (not the mat, which has the colour of the chrome around the bar).
    chrome_->paneMat.matPanel()->orderOut();
    const Rgb gutter = over(qt_backend::resolveColor({ColorRole::separator, 0.5}, false),
                            qt_backend::resolveColor({ColorRole::underPageBackground}, false));
    ASSERT_TRUE(pixelBecomes(703, 200, gutter)) << "the handle's bar: " << pixel(703, 200);

    // What the workspace does as the user drags its left window away, and on the drop.
    chrome_->paneMat.setShieldsHidden(true);
    chrome_->dividersHidden = true;
    chrome_->positionDividerPanels();
    ASSERT_EQ(server_->run({"xdotool", "windowmove", std::to_string(windows_[0]), "300", "250"}), 0);
    ASSERT_TRUE(waitFor([&] { return !pixel(703, 200).near(gutter) && placedAt(windows_[0], {300, 250}); }))
        << "the gutter " << pixel(703, 200) << ", the window at " << x_->freshGeometry(windows_[0])->rootRect.minX() << ","
        << x_->freshGeometry(windows_[0])->rootRect.minY();
    chrome_->paneMat.setShieldsHidden(false);
    chrome_->dividersHidden = false;
    chrome_->positionDividerPanels();
    place();
    ASSERT_TRUE(windowsAt({{103, 153, 597, 400}, {706, 153, 597, 400}}));
    // Painted again in the gutter, and so in the same frame over the card, if it lay there.
    ASSERT_TRUE(pixelBecomes(703, 200, gutter)) << pixel(703, 200);
    EXPECT_TRUE(pixel(703, 350).near(accent)) << "the chrome lies over the card: " << pixel(703, 350);
}

TEST_F(ChromeGesturesTest, RightClickOnTheRailPopsTheActionsMenuUpAtThePointer) {
    const Rect container{100, 150, 1206, 406};
    tileTwoClients(container);
    chrome_->currentTitle = "Write";
    int restored = 0;
    chrome_->onRestore = [&] { ++restored; };
    ASSERT_TRUE(waitFor([&] { return chrome_->headerPanel->isVisible(); }));

    // The menu runs modally; while it is up, look at it and choose "Restore Layout".
    QStringList texts;
    QPoint at;
    std::function<void()> lookAndChoose = [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return QTimer::singleShot(50, lookAndChoose);
        at = menu->geometry().topLeft();
        for (QAction* action : menu->actions()) texts << action->text();
        for (QAction* action : menu->actions())
            if (action->text() == "Restore Layout") action->trigger();
        menu->close();
    };
    ASSERT_TRUE(railSettledOnTopAt({683, 152})) << "the rail lies under another window";
    QTimer::singleShot(50, lookAndChoose);
    ASSERT_EQ(server_->run({"xdotool", "mousemove", "683", "152", "click", "3"}), 0);
    ASSERT_TRUE(waitFor([&] { return restored == 1; })) << texts.join(" | ").toStdString();
    EXPECT_TRUE(texts.contains("Write"));
    EXPECT_TRUE(texts.contains("Hide Workspace\tSuper+Alt+H"));
    EXPECT_LE(std::abs(at.x() - 683), 2);
    EXPECT_LE(std::abs(at.y() - 152), 2);
}

}  // namespace
}  // namespace tessane::x11test
