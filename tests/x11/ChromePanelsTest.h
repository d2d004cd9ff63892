#pragma once

// The chrome's real windows on a private X server with a window manager, around real client
// windows, and what the tests read of the screen there.
#include "chrome/ContainerWindowController.h"
#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/windows/LinuxWindowList.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/x11/X11EventMonitors.h"
#include "platform/linux/x11/X11ScreenSpace.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/panels/PanelPainter.h"
#include "platform/qt/panels/QtPanels.h"
#include "x11/WidgetApplication.h"
#include "x11/QtPanelsTest.h"

#include <QColor>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <vector>

// Last: Xlib's macros must not reach the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tessane::x11test {

using linux_backend::XWindowId;

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
    bool near(const Rgb& o) const { return std::abs(r - o.r) <= 3 && std::abs(g - o.g) <= 3 && std::abs(b - o.b) <= 3; }
};
inline std::ostream& operator<<(std::ostream& os, const Rgb& c) { return os << '(' << c.r << ", " << c.g << ", " << c.b << ')'; }

inline Rgb rgbOf(const QColor& c) { return {c.red(), c.green(), c.blue()}; }
// A translucent colour laid over an opaque one, as the panels do without compositing.
inline Rgb over(const QColor& top, const QColor& base) {
    const double a = top.alphaF();
    auto mix = [a](int t, int b) { return static_cast<int>(std::lround(t * a + b * (1 - a))); };
    return {mix(top.red(), base.red()), mix(top.green(), base.green()), mix(top.blue(), base.blue())};
}

class ChromePanelsTest : public QtPanelsTest {
protected:
    void SetUp() override {
        QtPanelsTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
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
        QtPanelsTest::TearDown();
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

    std::unique_ptr<linux_backend::X11EventMonitors> monitors_;
    std::unique_ptr<linux_backend::LinuxAccessibility> ax_;
    std::unique_ptr<linux_backend::LinuxWindowList> list_;
    Platform platform_;
    std::unique_ptr<ContainerWindowController> chrome_;
};

}  // namespace tessane::x11test
