// The chrome's real windows on a private X server with a window manager, around real client windows:
// where they stack, what they show, where clicks go.
#include "chrome/ChromeGeometry.h"
#include "chrome/ContainerWindowController.h"
#include "chrome/PaneViews.h"
#include "layout/ScreenGeometry.h"
#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/windows/LinuxWindowList.h"
#include "platform/linux/x11/X11DesktopModel.h"
#include "platform/linux/x11/X11EventMonitors.h"
#include "platform/linux/x11/X11ScreenSpace.h"
#include "platform/qt/AppIcon.h"
#include "platform/qt/panels/PanelPainter.h"
#include "platform/qt/panels/QtAnimator.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/tray/QtMenus.h"
#include "platform/qt/panels/QtPanelWidget.h"
#include "platform/qt/panels/QtPanels.h"
#include "x11/WidgetApplication.h"
#include "x11/X11TestBase.h"

#include <QAction>
#include <QApplication>
#include <QBackingStore>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QTemporaryDir>
#include <QTimer>

#include "x11/support/ShownOnScreen.h"
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

#include <map>
#include <set>

namespace tessane::x11test {
namespace {

using linux_backend::XWindowId;

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
    bool near(const Rgb& o) const { return std::abs(r - o.r) <= 3 && std::abs(g - o.g) <= 3 && std::abs(b - o.b) <= 3; }
};
std::ostream& operator<<(std::ostream& os, const Rgb& c) { return os << '(' << c.r << ", " << c.g << ", " << c.b << ')'; }

Rgb rgbOf(const QColor& c) { return {c.red(), c.green(), c.blue()}; }
// A translucent colour laid over an opaque one, as the panels do without compositing.
Rgb over(const QColor& top, const QColor& base) {
    const double a = top.alphaF();
    auto mix = [a](int t, int b) { return static_cast<int>(std::lround(t * a + b * (1 - a))); };
    return {mix(top.red(), base.red()), mix(top.green(), base.green()), mix(top.blue(), base.blue())};
}

class ChromePanelsTest : public X11TestBase {
protected:
    void SetUp() override {
        X11TestBase::SetUp();
        if (!ensureWidgetApplication(server_->display()))
            GTEST_SKIP() << "needs its own process (a QApplication on the private server)";
        qt_backend::setChromeAppearance(false);
        queue_ = std::make_unique<qt_backend::QtMainQueue>();
        screens_ = std::make_unique<linux_backend::LinuxScreens>(*x_, *queue_);
        space_ = std::make_unique<linux_backend::X11ScreenSpace>(*screens_);
        panels_ = std::make_unique<qt_backend::QtPanels>(*space_, *x_);
        monitors_ = std::make_unique<linux_backend::X11EventMonitors>(*x_, *space_, *queue_, nullptr);
        ax_ = std::make_unique<linux_backend::LinuxAccessibility>(*x_, *screens_, *queue_);
        list_ = std::make_unique<linux_backend::LinuxWindowList>(*x_, *ax_);
        platform_.mainQueue = queue_.get();
        platform_.screens = screens_.get();
        platform_.panels = panels_.get();
        platform_.eventMonitors = monitors_.get();
    }
    void TearDown() override {
        chrome_.reset();
        list_.reset();
        ax_.reset();
        monitors_.reset();
        panels_.reset();
        space_.reset();
        screens_.reset();
        queue_.reset();
        X11TestBase::TearDown();
    }

    Rgb pixel(int x, int y) {
        XImage* image = XGetImage(x_->display(), x_->root(), x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return {-1, -1, -1};
        const unsigned long p = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
    }
    // A compositing manager just started on a loaded machine (Mutter beside a busy loop on every
    // core) paints its first frames seconds late: the screen is waited for as long as a client's
    // first window is (X11TestBase::startClient), which costs nothing when it comes sooner.
    bool pixelBecomes(int x, int y, Rgb want) {
        return waitFor([&] { return pixel(x, y).near(want); });
    }
    Rect screenFromRoot(const Rect& r) const {
        const Point o = space_->screenFromRoot({r.minX(), r.maxY()});
        return {o.x, o.y, r.width(), r.height()};
    }
    // A client window covering most of the container; the container reaches 60 pixels further
    // right, where only the desktop lies below. Answers the container in root coordinates.
    Rect showChromeOverClient(XWindowId* clientWindow, Client** clientOut = nullptr) {
        auto& client = startClient({"--pos", "200,200", "--size", "600x400", "--report-clicks"});
        EXPECT_EQ(client.windows.size(), 1u);
        *clientWindow = client.windows.at(0);
        if (clientOut) *clientOut = &client;
        // The manager done with it; one that leaves the request unanswered (Fluxbox), once it
        // shows.
        if (!x_->windowManagerRoundTrip(2) && server_->windowManagerName() == "openbox") ADD_FAILURE() << "Openbox did not answer";
        EXPECT_TRUE(waitFor([&] { auto g = x_->geometry(*clientWindow); return g && g->viewable; }));
        EXPECT_TRUE(waitFor([&] { return placedAt(*clientWindow, {200, 200}); }))
            << "the client stays at " << x_->freshGeometry(*clientWindow)->rootRect.minX() << ","
            << x_->freshGeometry(*clientWindow)->rootRect.minY();
        const Rect a = x_->freshGeometry(*clientWindow)->rootRect;
        const Rect container{a.minX() + 20, a.minY() + 20, a.width() + 40, a.height() - 40};

        chrome_ = std::make_unique<ContainerWindowController>(platform_);
        chrome_->headerPanel = chrome_->makeRailPanel();
        chrome_->currentLayoutType = LayoutType::leftRightSplit;
        chrome_->currentAppCount = 2;
        chrome_->currentRatios = {0.5};
        chrome_->containerCocoaRect = screenFromRoot(container);
        chrome_->applyGeometry(true);
        chrome_->orderFront();
        return container;
    }
    std::vector<XWindowId> ourWindows() const {
        std::vector<XWindowId> out;
        for (auto* p : {chrome_->headerPanel.get(), chrome_->paneMat.matPanel()})
            out.push_back(static_cast<qt_backend::QtPanel*>(p)->windowId());
        for (auto& p : chrome_->paneMat.shieldPanels()) out.push_back(static_cast<qt_backend::QtPanel*>(p.get())->windowId());
        for (auto& p : chrome_->dividerPanels) out.push_back(static_cast<qt_backend::QtPanel*>(p.get())->windowId());
        return out;
    }
    // The top-level (child of the root) that holds `window`: itself, or its window manager frame.
    XWindowId topLevelOf(XWindowId window) {
        for (;;) {
            Window root = 0, parent = 0, *children = nullptr;
            unsigned n = 0;
            if (!XQueryTree(x_->display(), window, &root, &parent, &children, &n)) return 0;
            if (children) XFree(children);
            if (parent == root) return window;
            window = parent;
        }
    }
    // A compositing manager draws the screen in its own time: a probe window of a colour no desktop
    // shows, mapped over `root` and taken away, is seen on screen and then gone, so the screen there
    // shows the desktop as painted since.
    bool desktopRepainted(const Rect& root) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = 0xFF00FF;
        const Window probe = XCreateWindow(x_->display(), x_->root(), static_cast<int>(root.minX()), static_cast<int>(root.minY()),
                                           static_cast<unsigned>(root.width()), static_cast<unsigned>(root.height()), 0,
                                           CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel,
                                           &attributes);
        XMapRaised(x_->display(), probe);
        x_->sync();
        const int x = static_cast<int>(root.midX()), y = static_cast<int>(root.midY());
        const bool shown = pixelBecomes(x, y, {255, 0, 255});
        XDestroyWindow(x_->display(), probe);
        x_->sync();
        return shown && waitFor([&] { return !pixel(x, y).near({255, 0, 255}); });
    }
    std::vector<XWindowId> rootChildrenBottomToTop() {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned n = 0;
        XQueryTree(x_->display(), x_->root(), &root, &parent, &children, &n);
        std::vector<XWindowId> out(children, children + n);
        if (children) XFree(children);
        return out;
    }
    long stackIndex(XWindowId window) {
        const auto order = rootChildrenBottomToTop();
        const auto top = topLevelOf(window);
        return std::find(order.begin(), order.end(), top) - order.begin();
    }
    void click(int x, int y) {
        EXPECT_EQ(server_->run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"}), 0);
    }

    static Rgb underPage() { return rgbOf(qt_backend::resolveColor({ColorRole::underPageBackground}, false)); }
    static constexpr Rgb kWhite{255, 255, 255};

    std::unique_ptr<qt_backend::QtMainQueue> queue_;
    std::unique_ptr<linux_backend::LinuxScreens> screens_;
    std::unique_ptr<linux_backend::X11ScreenSpace> space_;
    std::unique_ptr<qt_backend::QtPanels> panels_;
    std::unique_ptr<linux_backend::X11EventMonitors> monitors_;
    std::unique_ptr<linux_backend::LinuxAccessibility> ax_;
    std::unique_ptr<linux_backend::LinuxWindowList> list_;
    Platform platform_;
    std::unique_ptr<ContainerWindowController> chrome_;
};

TEST_F(ChromePanelsTest, MatLiesBelowTheClientAndShieldsHandleAndRailAboveIt) {
    XWindowId client = 0;
    const Rect c = showChromeOverClient(&client);
    const int midY = static_cast<int>(c.midY()) + 100;
    const Rect inner = c.insetBy(3, 3);
    const int gutterLeft = static_cast<int>(inner.minX() + (inner.width() - 6) / 2);

    EXPECT_TRUE(pixelBecomes(static_cast<int>(c.maxX()) - 15, midY, underPage()))
        << "the mat covers the desktop where no window is: " << pixel(static_cast<int>(c.maxX()) - 15, midY);
    EXPECT_TRUE(pixelBecomes(static_cast<int>(c.minX()) + 100, midY, kWhite)) << "the client is above the mat";
    EXPECT_TRUE(pixelBecomes(gutterLeft, midY, underPage())) << "a shield over the gutter is above the client";
    EXPECT_TRUE(pixelBecomes(static_cast<int>(c.minX()) + 1, midY, underPage())) << "and over the margin";
    const Rgb bar = over(qt_backend::resolveColor({ColorRole::separator, 0.5}, false),
                         qt_backend::resolveColor({ColorRole::underPageBackground}, false));
    EXPECT_TRUE(pixelBecomes(gutterLeft + 3, midY, bar)) << "the handle's bar: " << pixel(gutterLeft + 3, midY);
    const Rgb pill = over(qt_backend::resolveColor({ColorRole::secondaryLabel}, false),
                          qt_backend::resolveColor({ColorRole::underPageBackground}, false));
    const int pillX = static_cast<int>(c.midX()) - 15;  // on the pill, clear of the handle below
    EXPECT_TRUE(pixelBecomes(pillX, static_cast<int>(c.minY()) + 1, pill))
        << "the rail: " << pixel(pillX, static_cast<int>(c.minY()) + 1);
    EXPECT_TRUE(pixelBecomes(pillX, static_cast<int>(c.minY()) + 6, kWhite))
        << "only the pill of the rail panel is drawn: " << pixel(pillX, static_cast<int>(c.minY()) + 6);

    const long clientAt = stackIndex(client);
    const auto* rail = static_cast<qt_backend::QtPanel*>(chrome_->headerPanel.get());
    const auto* handle = static_cast<qt_backend::QtPanel*>(chrome_->dividerPanels.at(0).get());
    const auto* shield = static_cast<qt_backend::QtPanel*>(chrome_->paneMat.shieldPanels().at(0).get());
    const auto* mat = static_cast<qt_backend::QtPanel*>(chrome_->paneMat.matPanel());
    EXPECT_LT(stackIndex(mat->windowId()), clientAt);
    EXPECT_TRUE(waitFor([&] {
        const auto states = x_->atomList(mat->windowId(), "_NET_WM_STATE");
        const auto desktop = x_->cardinals(mat->windowId(), "_NET_WM_DESKTOP");
        return states && std::count(states->begin(), states->end(), x_->atom("_NET_WM_STATE_BELOW")) &&
               desktop && desktop->size() == 1 && static_cast<uint32_t>(desktop->at(0)) == 0xFFFFFFFFu;
    })) << "the mat is kept below, on every desktop";
    EXPECT_GT(stackIndex(shield->windowId()), clientAt);
    EXPECT_GT(stackIndex(handle->windowId()), stackIndex(shield->windowId()));
    EXPECT_GT(stackIndex(rail->windowId()), stackIndex(handle->windowId()));

    // A client raised over our windows goes under them again with the next orderFront.
    x_->requestActivate(client);
    ASSERT_TRUE(x_->windowManagerRoundTrip(2));
    chrome_->orderFront();
    ASSERT_TRUE(waitFor([&] { return stackIndex(shield->windowId()) > stackIndex(client); }));
    EXPECT_LT(stackIndex(mat->windowId()), stackIndex(client));

    // Our windows are ours in the window list, never someone else's.
    const auto ours = ourWindows();
    const auto entries = list_->windows(WindowList::Option::allWindows);
    ASSERT_TRUE(entries);
    bool matListed = false;
    for (const auto& e : *entries) {
        if (std::find(ours.begin(), ours.end(), e.number) != ours.end()) {
            EXPECT_EQ(e.ownerPid, static_cast<Pid>(getpid())) << "window " << e.number;
        }
        matListed = matListed || e.number == mat->windowId();
    }
    EXPECT_TRUE(matListed) << "the mat is a managed window: listed, as ours";
}

// A click into an app raises its frame; the chrome goes back above it. IceWM and Fluxbox make
// their frames override-redirect, as menus are: the chrome lies on them all the same.
TEST_F(ChromePanelsTest, AfterAClickIntoTheClientTheChromeIsBackAboveItsFrame) {
    XWindowId client = 0;
    const Rect c = showChromeOverClient(&client);
    const auto id = [](const std::unique_ptr<Panel>& p) { return static_cast<qt_backend::QtPanel*>(p.get())->windowId(); };
    const XWindowId rail = id(chrome_->headerPanel), shield = id(chrome_->paneMat.shieldPanels().at(0));
    const auto chromeAbove = [&] {
        const long at = stackIndex(client);
        return stackIndex(shield) > at && stackIndex(rail) > at;
    };
    ASSERT_TRUE(waitFor(chromeAbove));
    // Another window takes the focus, so that the click raises the first one.
    auto& other = startClient({"--pos", "1300,700", "--size", "200x150"});
    x_->requestActivate(other.windows.at(0));
    ASSERT_TRUE(waitFor([&] { return stackIndex(other.windows.at(0)) > stackIndex(client); }));
    // Heard from the root as a third program would: the frame going to the top.
    Display* watcher = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(watcher, nullptr);
    XSelectInput(watcher, DefaultRootWindow(watcher), SubstructureNotifyMask);
    XSync(watcher, False);
    const XWindowId frame = topLevelOf(client);
    click(static_cast<int>(c.minX()) + 100, static_cast<int>(c.midY()) + 100);
    bool raised = false;
    EXPECT_TRUE(waitFor([&] {
        while (XPending(watcher)) {
            XEvent e;
            XNextEvent(watcher, &e);
            raised = raised || (e.type == ConfigureNotify && e.xconfigure.window == frame && e.xconfigure.above != None);
        }
        return raised;
    })) << "the manager never raised the frame";
    EXPECT_TRUE(waitFor(chromeAbove)) << "client " << stackIndex(client) << ", shield " << stackIndex(shield) << ", rail "
                                      << stackIndex(rail);
    XCloseDisplay(watcher);
}

// A window of ours over the rail keeps that spot on every manager, even with the chrome lifted over
// it as Mutter lifts every override-redirect window after a click into an app: the chrome is cut
// there, shows nothing and takes no click there, and the cut follows the window when it moves.
TEST_F(ChromePanelsTest, OurWindowOverTheChromeKeepsItsPixelsAndClicksWithTheChromeLiftedOverIt) {
    XWindowId client = 0;
    const Rect c = showChromeOverClient(&client);
    const int pillX = static_cast<int>(c.midX()) - 15, pillY = static_cast<int>(c.minY()) + 1;
    const Rgb pill = over(qt_backend::resolveColor({ColorRole::secondaryLabel}, false),
                          qt_backend::resolveColor({ColorRole::underPageBackground}, false));
    ASSERT_TRUE(pixelBecomes(pillX, pillY, pill)) << pixel(pillX, pillY);

    struct Ours : QWidget {
        int presses = 0;
        void mousePressEvent(QMouseEvent*) override { ++presses; }
    } ours;
    const Rgb green{40, 160, 90};
    QPalette palette = ours.palette();
    palette.setColor(QPalette::Window, QColor(green.r, green.g, green.b));
    ours.setPalette(palette);
    ours.setAutoFillBackground(true);
    const QRect first(pillX - 120, pillY - 60, 240, 160);
    ours.setGeometry(first);
    // A notch its own shape leaves out, as a panel's rounded corners do: not ours to keep.
    const Rect inner = c.insetBy(3, 3);
    const int barX = static_cast<int>(inner.minX() + (inner.width() - 6) / 2) + 3;
    const QRect notch(barX - first.x() - 10, 120, 20, 20);
    ours.setMask(QRegion(ours.rect()) - notch);
    ours.show();
    // Where the manager shows it (asked again if it placed it elsewhere).
    const auto placed = [&](const QRect& at) {
        const auto g = x_->freshGeometry(ours.winId());
        const bool there = g && g->viewable && g->rootRect.minX() == at.x() && g->rootRect.minY() == at.y();
        if (!there && g && g->viewable) ours.setGeometry(at);
        return there;
    };
    ASSERT_TRUE(waitFor([&] { return placed(first); })) << "the manager never showed our window there";
    ASSERT_TRUE(pixelBecomes(pillX, pillY, green)) << pixel(pillX, pillY);

    // Lifted over it by someone else, as Mutter does, with nothing for us to hear of it.
    const auto lift = [&] {
        std::vector<XWindowId> chrome;
        for (auto& p : chrome_->paneMat.shieldPanels()) chrome.push_back(static_cast<qt_backend::QtPanel*>(p.get())->windowId());
        for (auto& p : chrome_->dividerPanels) chrome.push_back(static_cast<qt_backend::QtPanel*>(p.get())->windowId());
        const auto* rail = static_cast<qt_backend::QtPanel*>(chrome_->headerPanel.get());
        chrome.push_back(rail->windowId());
        if (rail->inputWindow()) chrome.push_back(rail->inputWindow());
        for (XWindowId w : chrome) XRaiseWindow(x_->display(), w);
        x_->sync();
        return stackIndex(rail->windowId()) > stackIndex(ours.winId());
    };
    ASSERT_TRUE(lift());
    EXPECT_TRUE(pixelBecomes(pillX, pillY, green)) << "the rail is drawn over our window: " << pixel(pillX, pillY);
    click(pillX, pillY);
    EXPECT_TRUE(waitFor([&] { return ours.presses == 1; })) << "the click never reached our window";
    // The pointer off the rail, which would show it hovered.
    EXPECT_EQ(server_->run({"xdotool", "mousemove", "5", "5"}), 0);

    // Moved off the pill, the window takes the cut with it: the pill shows again (the rail still
    // over the margin's strip, which Metacity restacks as the window moves), and the chrome lifted
    // again is cut where the window lies now, but for its notch.
    const QRect moved = first.translated(0, 120);
    ASSERT_TRUE(waitFor([&] { return placed(moved); })) << "our window never moved";
    EXPECT_TRUE(pixelBecomes(pillX, pillY, pill)) << "the rail stays cut where our window was: " << pixel(pillX, pillY);
    const int barY = moved.center().y();
    ASSERT_TRUE(moved.contains(barX, barY));
    ASSERT_TRUE(lift());
    EXPECT_TRUE(pixelBecomes(barX, barY, green)) << "the handle is drawn over our window: " << pixel(barX, barY);
    const Rgb bar = over(qt_backend::resolveColor({ColorRole::separator, 0.5}, false),
                         qt_backend::resolveColor({ColorRole::underPageBackground}, false));
    EXPECT_TRUE(pixelBecomes(barX, moved.y() + notch.center().y(), bar))
        << "the handle is cut in our window's notch: " << pixel(barX, moved.y() + notch.center().y());
}

TEST_F(ChromePanelsTest, TheMatIsFilledByTheServerInTheThemesColourWithCornersShowingWhatLiesBelow) {
    // Made ahead, the mat's window is mapped only once a mat is shown.
    panels_->prepare({{.level = PanelLevel::mat, .name = "mat"}});
    auto mat = panels_->makePanel({.level = PanelLevel::mat, .name = "mat"});
    PaneMatView view(*mat);
    auto& widget = static_cast<qt_backend::QtPanel*>(mat.get())->widget();
    // Root coordinates of the mat's corners, the outermost pixel of each and one well inside.
    struct Corner {
        int x, y, inX, inY;
    };
    const auto cornersOf = [](int left, int top, int width, int height) {
        const int right = left + width - 1, bottom = top + height - 1;
        return std::vector<Corner>{{left, top, left + 6, top + 6},
                                   {right, top, right - 6, top + 6},
                                   {left, bottom, left + 6, bottom - 6},
                                   {right, bottom, right - 6, bottom - 6}};
    };
    std::vector<Corner> corners = cornersOf(300, 200, 400, 300);
    // What lies below: the bare desktop, sampled before the mat is there (at both sizes used), once
    // a compositing manager (Mutter) has painted it.
    if (panels_->compositing()) {
        ASSERT_TRUE(desktopRepainted({300, 200, 500, 350}));
    }
    std::map<std::pair<int, int>, Rgb> desktop;
    for (const auto& c : cornersOf(300, 200, 400, 300)) desktop[{c.x, c.y}] = pixel(c.x, c.y);
    for (const auto& c : cornersOf(300, 200, 500, 350)) desktop[{c.x, c.y}] = pixel(c.x, c.y);
    const auto cornersShowTheDesktop = [&](Rgb fill) {
        for (const auto& c : corners) {
            EXPECT_TRUE(pixelBecomes(c.inX, c.inY, fill)) << "inside the corner at " << c.x << "," << c.y;
            // Within a shade: a compositing manager's repaint of a picture may differ by one.
            EXPECT_TRUE(pixel(c.x, c.y).near(desktop.at({c.x, c.y})))
                << "the desktop shows at " << c.x << "," << c.y << ": " << pixel(c.x, c.y) << " for " << desktop.at({c.x, c.y});
        }
    };
    const Rgb dark = rgbOf(qt_backend::resolveColor({ColorRole::underPageBackground}, true));
    const Rgb bare = pixel(500, 350);
    const auto viewable = [&] { auto g = x_->freshGeometry(widget.winId()); return g && g->viewable; };

    view.setPanelFrame(screenFromRoot({300, 200, 400, 300}));
    mat->orderFront();
    ASSERT_TRUE(pixelBecomes(500, 350, underPage())) << pixel(500, 350);
    EXPECT_TRUE(viewable());
    cornersShowTheDesktop(underPage());

    qt_backend::setChromeAppearance(true);
    EXPECT_TRUE(pixelBecomes(500, 350, dark)) << "the mat follows the theme: " << pixel(500, 350);
    cornersShowTheDesktop(dark);

    // A new size: the fill and the corners follow.
    view.setPanelFrame(screenFromRoot({300, 200, 500, 350}));
    corners = cornersOf(300, 200, 500, 350);
    EXPECT_TRUE(pixelBecomes(780, 530, dark)) << "the grown part is filled: " << pixel(780, 530);
    cornersShowTheDesktop(dark);
    EXPECT_TRUE(widget.backingStore() == nullptr || widget.backingStore()->size().isEmpty())
        << "the program keeps no picture of the mat";

    // It still takes the clicks that would otherwise reach the desktop.
    std::vector<PanelInput::Kind> heard;
    mat->setInputHandler([&](const PanelInput& in) { heard.push_back(in.kind); });
    click(500, 350);
    EXPECT_TRUE(waitFor([&] { return std::count(heard.begin(), heard.end(), PanelInput::Kind::leftDown) == 1; }));

    // Ordered out with nothing else of ours up, it is withdrawn: no window list names it. Ordered
    // in, it shows again.
    mat->orderOut();
    EXPECT_TRUE(pixelBecomes(500, 350, bare)) << "the desktop shows again: " << pixel(500, 350);
    EXPECT_TRUE(waitFor([&] { return !viewable(); }));
    mat->orderFront();
    EXPECT_TRUE(pixelBecomes(500, 350, dark)) << pixel(500, 350);

    // A drawing that is more than one fill is painted by the program again, square corners and all.
    DrawOp mark = DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 50, 50}, {ColorRole::accent});
    mat->setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 500, 350}, {ColorRole::underPageBackground}), mark});
    const Rgb accent = rgbOf(qt_backend::resolveColor({ColorRole::accent}, true));
    EXPECT_TRUE(pixelBecomes(310, 540, accent)) << "the mark, bottom left: " << pixel(310, 540);
    EXPECT_TRUE(pixelBecomes(799, 200, dark)) << "a square corner: " << pixel(799, 200);
    EXPECT_TRUE(pixelBecomes(500, 350, dark));
    qt_backend::setChromeAppearance(false);
    EXPECT_TRUE(pixelBecomes(500, 350, underPage())) << "painted, it follows the theme too";
}

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

// A mat nearly the work area's size is what managers that maximize large windows as they map them
// (Mutter) would maximize: it stays exactly the container, as first shown and when shown again (kept
// mapped, shaped to nothing meanwhile) at another size, and says it cannot be maximized. Nor does KWin flag it
// as wanting the user's attention, as it does a window it was told not to activate or refused to
// raise. (The Metacity family flags any window it maps unfocused and covered, as a mat always is;
// Marco takes no pager's restack either.)
TEST_F(ChromePanelsTest, AMatNearlyTheWorkAreasSizeIsExactlyTheContainerOnEveryManager) {
    auto mat = panels_->makePanel({.level = PanelLevel::mat, .name = "mat"});
    PaneMatView view(*mat);
    const XWindowId id = static_cast<qt_backend::QtPanel*>(mat.get())->windowId();
    const Rect visible = screens_->screens().at(0).visibleFrame;
    // Another program's window, which the user clicked last, is active: a manager that guards the
    // focus weighs our windows against it.
    const XWindowId other = startClient({"--pos", "40,40", "--size", "200x150"}).windows.at(0);
    const auto clickOther = [&] {
        ASSERT_EQ(server_->run({"xdotool", "mousemove", "140", "115", "click", "1"}), 0);
        EXPECT_TRUE(waitFor([&] { return x_->windowList(x_->root(), "_NET_ACTIVE_WINDOW").value_or(std::vector<XWindowId>{0}) ==
                                         std::vector<XWindowId>{other}; }));
    };
    clickOther();
    const auto hasState = [&](const char* name) {
        const auto states = x_->atomList(id, "_NET_WM_STATE").value_or(std::vector<linux_backend::XAtomId>{});
        return std::count(states.begin(), states.end(), x_->atom(name)) > 0;
    };
    const auto maximized = [&] {
        return hasState("_NET_WM_STATE_MAXIMIZED_HORZ") || hasState("_NET_WM_STATE_MAXIMIZED_VERT");
    };
    for (const double inset : {12.0, 40.0}) {
        SCOPED_TRACE(inset);
        const Rect container = visible.insetBy(inset, inset);
        const Rect root = space_->rootFromScreen(container);
        view.setPanelFrame(container);
        mat->orderFront();
        // Taken by the manager (ICCCM WM_STATE normal), and everything it does on taking the
        // window done once it has answered a round trip (a manager that lists the request but never
        // answers it, Fluxbox, has had time enough when the wait ends).
        ASSERT_TRUE(waitFor([&] {
            const auto state = x_->cardinals(id, "WM_STATE");
            auto g = x_->freshGeometry(id);
            return state && !state->empty() && state->at(0) == 1 && g && g->viewable;
        }));
        x_->windowManagerRoundTrip(5);
        EXPECT_TRUE(waitFor([&] { return x_->freshGeometry(id)->rootRect == root; }))
            << "the mat at " << x_->freshGeometry(id)->rootRect.minX() << "," << x_->freshGeometry(id)->rootRect.minY()
            << " " << x_->freshGeometry(id)->rootRect.width() << "x" << x_->freshGeometry(id)->rootRect.height()
            << ", the container at " << root.minX() << "," << root.minY() << " " << root.width() << "x" << root.height();
        EXPECT_FALSE(maximized()) << "the manager maximized the mat";
        const bool kwin = server_->windowManagerName() == "kwin";
        EXPECT_FALSE(kwin && hasState("_NET_WM_STATE_DEMANDS_ATTENTION"));
        // Brought forward again while shown, after the user has been at the other window.
        clickOther();
        mat->orderFront();
        x_->windowManagerRoundTrip(5);
        EXPECT_FALSE(kwin && hasState("_NET_WM_STATE_DEMANDS_ATTENTION")) << "when raised again";
        mat->orderOut();
        EXPECT_TRUE(x_->freshGeometry(id)->viewable);
    }
}

// A show makes no new window: a released panel's window serves the next panel made like it, at
// that panel's place and with its drawing.
TEST_F(ChromePanelsTest, AReleasedPanelsWindowIsMappedAgainForTheNextPanelMadeLikeIt) {
    const auto show = [&](Panel& panel, ColorRole role, const Rect& root) {
        panel.setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, root.width(), root.height()}, {role})});
        panel.setFrame(screenFromRoot(root));
        panel.orderFront();
        return static_cast<qt_backend::QtPanel&>(panel).windowId();
    };
    auto first = panels_->makePanel({.level = PanelLevel::shield, .name = "shield"});
    const XWindowId id = show(*first, ColorRole::accent, {100, 100, 100, 100});
    ASSERT_TRUE(pixelBecomes(150, 150, rgbOf(qt_backend::resolveColor({ColorRole::accent}, false))));
    first.reset();
    EXPECT_TRUE(waitFor([&] { auto g = x_->geometry(id); return g && !g->viewable; })) << "released, it is unmapped";

    auto handle = panels_->makePanel({.level = PanelLevel::handle, .name = "handle"});
    auto second = panels_->makePanel({.level = PanelLevel::shield, .name = "shield"});
    EXPECT_EQ(show(*second, ColorRole::green, {300, 200, 80, 60}), id);
    EXPECT_NE(show(*handle, ColorRole::label, {500, 200, 20, 20}), id) << "a panel made otherwise gets a window of its own";
    EXPECT_TRUE(waitFor([&] {
        auto g = x_->geometry(id);
        return g && g->viewable && g->rootRect == Rect(300, 200, 80, 60);
    }));
    EXPECT_TRUE(pixelBecomes(340, 230, rgbOf(qt_backend::resolveColor({ColorRole::green}, false))));

    // A window made ready ahead (shown by Qt out of sight, then unmapped) stays unseen until a panel
    // takes it, which maps it at its frame and has Qt paint a drawing no single fill makes.
    panels_->prepare({{.level = PanelLevel::rail, .name = "rail"}});
    auto rail = panels_->makePanel({.level = PanelLevel::rail, .name = "rail"});
    const XWindowId railId = static_cast<qt_backend::QtPanel&>(*rail).windowId();
    x_->sync();
    const auto early = x_->geometry(railId);
    ASSERT_TRUE(early);
    EXPECT_FALSE(early->viewable) << "made ready unseen";
    rail->setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 120, 40}, {ColorRole::accent}),
                      DrawOp::shape(DrawOp::Kind::fillRect, {60, 0, 60, 40}, {ColorRole::green})});
    rail->setFrame(screenFromRoot({600, 400, 120, 40}));
    rail->orderFront();
    EXPECT_TRUE(waitFor([&] {
        auto g = x_->geometry(railId);
        return g && g->viewable && g->rootRect == Rect(600, 400, 120, 40);
    }));
    EXPECT_TRUE(pixelBecomes(620, 420, rgbOf(qt_backend::resolveColor({ColorRole::accent}, false))));
    EXPECT_TRUE(pixelBecomes(700, 420, rgbOf(qt_backend::resolveColor({ColorRole::green}, false))));
}

// The chrome of a second workspace, made while the first's is up, finds its windows made ready as
// the first did: what panels took of the prepared windows is made again once they are done taking.
TEST_F(ChromePanelsTest, PreparedWindowsThatPanelsTookAreMadeReadyAgain) {
    const PanelOptions rail{.level = PanelLevel::rail, .name = "rail"};
    const auto panelWindows = [] {
        std::set<QWidget*> out;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (dynamic_cast<qt_backend::QtPanelWidget*>(w) && w->testAttribute(Qt::WA_WState_Created)) out.insert(w);
        return out;
    };
    panels_->prepare({rail});
    const auto prepared = panelWindows();
    ASSERT_EQ(prepared.size(), 1u);
    auto first = panels_->makePanel(rail);
    EXPECT_EQ(&static_cast<qt_backend::QtPanel&>(*first).widget(), *prepared.begin());
    std::set<QWidget*> ready;
    EXPECT_TRUE(waitFor([&] {
        ready = panelWindows();
        ready.erase(*prepared.begin());
        return !ready.empty();
    })) << "made ready again";
    auto second = panels_->makePanel(rail);
    EXPECT_EQ(ready, std::set<QWidget*>{&static_cast<qt_backend::QtPanel&>(*second).widget()})
        << "the second panel takes the window made ready, none of its own";
}

// A show has more to do after it puts its chrome up: the panels it ordered front are mapped when
// it asks, not once the turn of the loop ends, and the turn's end then restacks nothing more.
// A new mat, which the window manager frames (Xfwm restacking every window it manages), is
// mapped before them, and they wait for the manager to be done with it.
TEST_F(ChromePanelsTest, PanelsOrderedFrontAreMappedWhenAskedBeforeTheTurnEndsAndAfterANewMatIsFramed) {
    // A window made ready is mapped by us, in one batch per turn (a new one by Qt's own show).
    panels_->prepare({{.level = PanelLevel::rail, .name = "rail"}, {.level = PanelLevel::rail, .name = "rail"}});
    auto mat = panels_->makePanel({.level = PanelLevel::mat, .name = "mat"});
    mat->setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 400, 300}, {ColorRole::accent})});
    mat->setFrame(screenFromRoot({400, 300, 400, 300}));
    std::unique_ptr<Panel> rails[2];
    for (int i = 0; i < 2; ++i) {
        rails[i] = panels_->makePanel({.level = PanelLevel::rail, .name = "rail"});
        rails[i]->setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 120, 40}, {ColorRole::accent})});
        rails[i]->setFrame(screenFromRoot({600.0 + 130 * i, 400, 120, 40}));
    }
    const XWindowId id = static_cast<qt_backend::QtPanel&>(*rails[0]).windowId();
    const XWindowId second = static_cast<qt_backend::QtPanel&>(*rails[1]).windowId();
    const XWindowId matId = static_cast<qt_backend::QtPanel&>(*mat).windowId();
    Display* watcher = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(watcher, nullptr);
    XSelectInput(watcher, DefaultRootWindow(watcher), SubstructureNotifyMask);
    XSelectInput(watcher, matId, StructureNotifyMask);
    XSync(watcher, False);
    rails[0]->orderFront();
    panels_->showOrderedNow();
    // Only the server is asked: the loop does not turn meanwhile.
    EXPECT_TRUE(waitFor([&] {
        XWindowAttributes a{};
        return XGetWindowAttributes(x_->display(), id, &a) && a.map_state == IsViewable;
    }, kAnswer, testing::Turning::nothing));
    const long sent = qt_backend::PanelStacking::requestsSent();
    QCoreApplication::processEvents();
    EXPECT_EQ(qt_backend::PanelStacking::requestsSent(), sent);
    mat->orderFront();
    rails[1]->orderFront();
    panels_->showOrderedNow();
    std::vector<XWindowId> mapped;
    EXPECT_TRUE(waitFor([&] {
        while (XPending(watcher)) {
            XEvent e;
            XNextEvent(watcher, &e);
            if (e.type == MapNotify && (e.xmap.window == second || e.xmap.window == matId) &&
                std::find(mapped.begin(), mapped.end(), e.xmap.window) == mapped.end())
                mapped.push_back(e.xmap.window);
        }
        return mapped.size() == 2;
    }));
    // Mutter maps a window it took in at a moment of its own, after answering what came later.
    if (server_->windowManagerName() != "mutter")
        EXPECT_EQ(mapped, (std::vector<XWindowId>{matId, second})) << "the mat first, then the rail";
    XCloseDisplay(watcher);
}

// Each window hands the server its icon at every size the icon has (the program's: a third of a
// megabyte): the chrome's panels, in no task list, carry the smallest only; other windows all,
// whether the program drew its icon itself or found one at a single size.
TEST_F(ChromePanelsTest, PanelsCarryTheProgramsIconAtOneSmallSizeAndItsOtherWindowsAtEverySize) {
    // Icon folders of the test's own, not the machine's (the program's package may be installed):
    // none, then one with the program's icon at one size only.
    const QStringList themes = QIcon::themeSearchPaths(), fallbacks = QIcon::fallbackSearchPaths();
    QTemporaryDir folder;
    QImage red(48, 48, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(folder.filePath("tessane.png")));
    QIcon::setThemeSearchPaths({folder.filePath("none")});
    QIcon::setFallbackSearchPaths({folder.filePath("none")});
    QApplication::setWindowIcon(qt_backend::applicationIcon());
    unsigned long cornerOfLargest = 0;
    const auto iconSizes = [&](XWindowId window) {
        const Atom icon = XInternAtom(x_->display(), "_NET_WM_ICON", False);
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<std::pair<long, long>> sizes;
        if (XGetWindowProperty(x_->display(), window, icon, 0, 1L << 20, False, XA_CARDINAL, &type, &format, &count,
                               &after, &data) == Success && data) {
            const auto* values = reinterpret_cast<const long*>(data);
            for (unsigned long i = 0; i + 2 <= count; i += 2 + static_cast<unsigned long>(values[i] * values[i + 1])) {
                sizes.emplace_back(values[i], values[i + 1]);
                if (i + 2 < count) cornerOfLargest = static_cast<unsigned long>(values[i + 2]) & 0xFFFFFFFFu;
            }
        }
        if (data) XFree(data);
        return sizes;
    };
    auto shield = panels_->makePanel({.level = PanelLevel::shield, .name = "shield"});
    shield->setDrawing({DrawOp::shape(DrawOp::Kind::fillRect, {0, 0, 100, 100}, {ColorRole::accent})});
    shield->setFrame(screenFromRoot({100, 100, 100, 100}));
    shield->orderFront();
    QWidget window;
    window.resize(200, 100);
    window.show();
    const XWindowId shieldId = static_cast<qt_backend::QtPanel&>(*shield).windowId();
    const XWindowId windowId = static_cast<XWindowId>(window.winId());
    const std::vector<std::pair<long, long>> small{{16, 16}};
    EXPECT_TRUE(waitFor([&] { return iconSizes(shieldId) == small; })) << iconSizes(shieldId).size() << " sizes";
    const auto everySize = [&](unsigned long corner) {
        return waitFor([&] {
            const auto sizes = iconSizes(windowId);
            return sizes.size() == 8 && sizes.back() == std::pair<long, long>{256, 256} && cornerOfLargest == corner;
        });
    };
    EXPECT_TRUE(everySize(0)) << "drawn by the program (a rounded tile: its corner clear): "
                              << iconSizes(windowId).size() << " sizes";
    QIcon::setFallbackSearchPaths({folder.path()});
    QApplication::setWindowIcon(qt_backend::applicationIcon());
    EXPECT_TRUE(everySize(0xFFFF0000u)) << "found at 48 pixels only: " << iconSizes(windowId).size() << " sizes";
    QApplication::setWindowIcon(QIcon());
    QIcon::setThemeSearchPaths(themes);
    QIcon::setFallbackSearchPaths(fallbacks);
}

TEST_F(ChromePanelsTest, AnimationsLandOnTheirTargetsAndTellTheirCompletionsOnce) {
    qt_backend::QtAnimator animator(*panels_);
    auto card = panels_->makePanel({.level = PanelLevel::card, .name = "card"});
    DrawOp fill;
    fill.rect = {0, 0, 360, 72};
    fill.color = {ColorRole::windowBackground};
    card->setDrawing({fill});
    card->setFrame({100, 90, 360, 72});
    card->setAlpha(0);
    card->orderFront();
    std::vector<std::string> done;
    animator.animate(*card, {.duration = 0.22, .curve = PanelAnimation::Curve::easeOut, .alpha = 1.0,
                             .frame = Rect{100, 100, 360, 72}},
                     [&] { done.push_back("rise"); });
    EXPECT_TRUE(done.empty()) << "never told from inside animate()";
    ASSERT_TRUE(waitFor([&] { return !done.empty(); }));
    EXPECT_EQ(card->frame(), Rect(100, 100, 360, 72));
    EXPECT_EQ(card->alpha(), 1.0);
    const auto* qtCard = static_cast<qt_backend::QtPanel*>(card.get());
    EXPECT_TRUE(waitFor([&] {
        auto g = x_->geometry(qtCard->windowId());
        return g && g->viewable && g->rootRect == space_->rootFromScreen({100, 100, 360, 72});
    }));

    // A newer animation replaces a running one, whose completion is told at once.
    animator.animate(*card, {.duration = 5, .frame = Rect{400, 100, 360, 72}}, [&] { done.push_back("slow"); });
    animator.animate(*card, {.duration = 0.1, .alpha = 0.0}, [&] { done.push_back("fade"); });
    EXPECT_EQ(done, (std::vector<std::string>{"rise", "slow"}));
    ASSERT_TRUE(waitFor([&] { return done.size() == 3; }));
    EXPECT_EQ(card->alpha(), 0.0);
    if (panels_->compositing()) {
        EXPECT_TRUE(waitFor([&] {
            auto g = x_->geometry(qtCard->windowId());
            auto opacity = x_->cardinals(qtCard->windowId(), "_NET_WM_WINDOW_OPACITY");
            return g && g->viewable && opacity && opacity->size() == 1 && opacity->at(0) == 0;
        })) << "with a compositing manager (Metacity, Marco, Mutter, KWin), a panel at alpha 0 stays mapped, transparent";
    } else {
        EXPECT_TRUE(waitFor([&] { auto g = x_->geometry(qtCard->windowId()); return g && !g->viewable; }))
            << "without compositing, a panel at alpha 0 is taken off screen";
    }

    // A witness animated as long, started after: once it is told, the other would have been.
    auto witness = panels_->makePanel({.level = PanelLevel::card, .name = "witness"});
    witness->setFrame({100, 300, 50, 50});
    witness->orderFront();
    animator.animate(*card, {.duration = 0.2, .alpha = 1.0}, [&] { done.push_back("never"); });
    card.reset();
    animator.animate(*witness, {.duration = 0.2, .alpha = 0.5}, [&] { done.push_back("witness"); });
    ASSERT_TRUE(waitFor([&] { return std::count(done.begin(), done.end(), "witness") == 1; }));
    EXPECT_EQ(std::count(done.begin(), done.end(), "never"), 0) << "a destroyed panel tells no completion";
}

TEST_F(ChromePanelsTest, WithACompositingManagerAlphaIsBlendedInsteadOfHidingThePanel) {
    // Stand in for a compositing manager by holding its selection.
    Window owner = XCreateSimpleWindow(x_->display(), x_->root(), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(x_->display(), x_->atom("_NET_WM_CM_S0"), owner, CurrentTime);
    x_->sync();
    qt_backend::QtPanels composited(*space_, *x_);
    ASSERT_TRUE(composited.compositing());
    EXPECT_TRUE(waitFor([&] { return panels_->compositing(); })) << "a manager that starts later is followed";

    auto preview = composited.makePanel({.level = PanelLevel::shield, .ignoresMouse = true, .name = "preview"});
    preview->setFrame({100, 100, 200, 150});
    preview->setAlpha(0);
    preview->orderFront();
    const auto id = static_cast<qt_backend::QtPanel*>(preview.get())->windowId();
    EXPECT_TRUE(waitFor([&] {
        auto g = x_->geometry(id);
        auto opacity = x_->cardinals(id, "_NET_WM_WINDOW_OPACITY");
        return g && g->viewable && opacity && opacity->size() == 1 && opacity->at(0) == 0;
    })) << "mapped at alpha 0, for the compositing manager to fade in";

    // A translucent window filled by the server: its background carries an opaque alpha.
    auto mat = composited.makePanel({.level = PanelLevel::mat, .name = "mat"});
    PaneMatView view(*mat);
    view.setPanelFrame(screenFromRoot({400, 300, 200, 150}));
    mat->orderFront();
    EXPECT_TRUE(pixelBecomes(500, 375, underPage())) << pixel(500, 375);
    XDestroyWindow(x_->display(), owner);
    x_->sync();
    // Followed to its end, unless the window manager composites itself and took the selection
    // meanwhile (KWin under load starts its compositor late).
    EXPECT_TRUE(waitFor([&] {
        return composited.compositing() == (XGetSelectionOwner(x_->display(), x_->atom("_NET_WM_CM_S0")) != None);
    })) << "and one that ends";
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
