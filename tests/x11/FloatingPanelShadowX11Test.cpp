// The welcome panel under picom with the settings Debian ships as its example (shadows on): the
// rounded panel casts no square shadow, so nothing outside its rounded shape is darkened.
// Our own headers that use the word `emit` come before Qt's, which make it a keyword.
#include "x11/X11TestBase.h"
#include "builder/OnboardingFlow.h"
#include "builder/qt/QtOnboardingPanel.h"
#include "platform/linux/x11/X11ManagerWatch.h"
#include "platform/qt/panels/PanelPainter.h"
#include "platform/qt/QtMainQueue.h"
#include "x11/WidgetApplication.h"

#include <QApplication>

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <fstream>
#include <sstream>

namespace tessane::x11test {
namespace {

class FloatingPanelShadowX11Test : public X11TestBase {
protected:
    static constexpr unsigned long kDesktop = 0x808080;  // any shadow makes it darker
    unsigned long pixel(int x, int y) {
        XImage* image = XGetImage(x_->display(), x_->root(), x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return ~0ul;
        const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return p;
    }
};

TEST_F(FloatingPanelShadowX11Test, UnderPicomTheWelcomePanelDarkensNothingOutsideItsRoundedShape) {
    if (!ensureWidgetApplication(server_->display()))
        GTEST_SKIP() << "needs its own process (a QApplication on the private server)";
    std::ifstream example("/usr/share/doc/picom/examples/picom.sample.conf");
    if (!example) GTEST_SKIP() << "picom's example configuration is not installed";
    std::stringstream text;
    text << example.rdbuf();
    // Xvfb has no vertical blank to wait for: picom refuses to start when asked to.
    std::string config = text.str();
    if (const auto vsync = config.find("\nvsync = true"); vsync != std::string::npos) config.replace(vsync, 14, "\nvsync = false");
    const std::string path = server_->logFolder() + "/picom.conf";
    std::ofstream(path) << config;
    // A plain desktop, so that any shadow shows.
    XSetWindowBackground(x_->display(), x_->root(), kDesktop);
    XClearWindow(x_->display(), x_->root());
    XSync(x_->display(), False);
    const auto owned = [&] { return XGetSelectionOwner(x_->display(), x_->atom("_NET_WM_CM_S0")) != None; };
    if (owned()) GTEST_SKIP() << "the window manager composites itself: picom would not start";
    // KWin keeps its frame around a shaped window unshaped: its corners stay black under picom.
    if (x_->manager().name() == "KWin") GTEST_SKIP() << "KWin does not shape its frame to the window";
    auto picom = ChildProcess::start({"picom", "--config", path}, server_->display(), server_->logFolder() + "/picom.log");
    if (!picom || !waitFor(owned, testing::kMaybeNever)) GTEST_SKIP() << "picom did not start on this X server";
    // picom takes the selection before it draws its first frame; until then the server draws each
    // window itself, shadowless. A half-opaque probe shows blended once picom draws.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = 0xFF00FF;
    const Window probe = XCreateWindow(x_->display(), x_->root(), 0, 0, 20, 20, 0, CopyFromParent, InputOutput,
                                       CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    const long halfOpaque = 0x7FFFFFFF;
    XChangeProperty(x_->display(), probe, x_->atom("_NET_WM_WINDOW_OPACITY"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&halfOpaque), 1);
    XMapRaised(x_->display(), probe);
    XSync(x_->display(), False);
    const auto blended = [&] {
        const unsigned long green = (pixel(10, 10) >> 8) & 0xFF;  // 0x00 over 0x80, half and half
        return green > 0x20 && green < 0x70;
    };
    const bool drawing = waitFor(blended, testing::kMaybeNever);
    XDestroyWindow(x_->display(), probe);
    if (!drawing) GTEST_SKIP() << "picom does not draw on this X server";

    qt_backend::QtMainQueue queue;
    OnboardingFlow flow(queue, {}, OnboardingStep::welcome, true);
    auto panel = builder_qt::makeOnboardingPanelFactory()(std::shared_ptr<OnboardingFlow>(&flow, [](auto*) {}));
    auto* window = static_cast<builder_qt::QtOnboardingPanel*>(panel.get())->window();
    // A window manager that composites by itself may take over from picom (KWin does).
    if (!owned() || !picom->running()) GTEST_SKIP() << "picom stopped compositing";
    ASSERT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground)) << "rounded, with the compositor";
    int x = 0, y = 0;
    const auto placed = [&] {
        Window child = 0;
        XWindowAttributes a{};
        if (!XGetWindowAttributes(x_->display(), window->winId(), &a) || a.map_state != IsViewable) return false;
        return XTranslateCoordinates(x_->display(), window->winId(), x_->root(), 0, 0, &x, &y, &child) == True;
    };
    ASSERT_TRUE(waitFor(placed));
    const int w = window->width(), h = window->height();
    // Shown in full once the panel's own colour is there (picom fades windows in).
    const QColor fill = qt_backend::resolveColor({ColorRole::windowBackground}, qt_backend::chromeIsDark());
    ASSERT_TRUE(waitFor([&] { return pixel(x + w / 2, y + 6) == (fill.rgb() & 0xFFFFFF); }));
    if (!picom->running()) GTEST_SKIP() << "picom stopped compositing";
    // Outside the rounded corners, inside the window's rectangle, and around the rectangle where a
    // shadow would fall.
    const std::vector<std::pair<int, int>> outside = {
        {x + 1, y + 1}, {x + w - 2, y + 1}, {x + 1, y + h - 2}, {x + w - 2, y + h - 2},
        {x - 4, y + h / 2}, {x + w + 4, y + h / 2}, {x + w / 2, y - 4}, {x + w / 2, y + h + 4}, {x + w + 6, y + h + 6}};
    // (Some window managers draw a light border of their own around it: not dark.)
    const auto darkened = [](unsigned long p) {
        return ((p >> 16) & 0xFF) < 0x80 || ((p >> 8) & 0xFF) < 0x80 || (p & 0xFF) < 0x80;
    };
    for (const auto& [px, py] : outside)
        EXPECT_FALSE(darkened(pixel(px, py))) << "at " << px - x << "," << py - y << " from the panel's corner: "
                                              << std::hex << pixel(px, py);
    panel->close();
}

}  // namespace
}  // namespace tessane::x11test
