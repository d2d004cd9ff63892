#pragma once

// Tessane's chrome as a real desktop shows it: its panels by name, the pointer's target, client
// areas and screenshots, each in X pixels.
#include "EndToEndTest.h"
#include "e2e/support/RequestsToManager.h"
#include "platform/linux/x11/X11ManagerWatch.h"

#include <QImage>
#include "x11/support/ShownOnScreen.h"
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tessane::e2e {

// The requests to activate a window (_NET_ACTIVE_WINDOW) sent from when it is made, in order.
struct ActivationRequests : RequestsToManager {
    explicit ActivationRequests(const std::string& display) : RequestsToManager(display, "_NET_ACTIVE_WINDOW") {}
};

class ChromeOnDesktopTest : public EndToEndTest {
protected:
    // Past the show's own work on Alpha and Beta: the first focus the manager reports after the
    // show brings the workspace's apps up one after another, the focused one last (Alpha, which
    // the show activates, or Beta where the manager focused that first), and the manager acting
    // on one of those ends a drag of ours begun meanwhile (IceWM takes the pointer).
    bool showsActivationsDone(ActivationRequests& requests) {
        return waitFor([&] {
            const std::string log = latestLog();
            const auto focus = log.find("App focus: org.tessane.");
            if (focus == std::string::npos) return false;
            const bool alphaLast = log.compare(focus + 23, 5, "Alpha") == 0;
            return requests.seen(alphaLast ? beta_ : alpha_, alphaLast ? alpha_ : beta_);
        }) && x_->windowManagerRoundTrip(5);
    }
    void TearDown() override {
        picom_.reset();
        EndToEndTest::TearDown();
        unsetenv("QT_SCALE_FACTOR");
        unsetenv("QT_SCREEN_SCALE_FACTORS");
    }
    struct Shown {
        Window id;
        std::string name;  // "rail", "shield", "handle", "preview", ...
        RootRect rect;
    };
    // Tessane's viewable raised panels, bottom to top.
    std::vector<Shown> panels() {
        std::vector<Shown> out;
        Display* d = x_->display();
        Window root = 0, parent = 0, *children = nullptr;
        unsigned n = 0;
        if (!XQueryTree(d, x_->root(), &root, &parent, &children, &n)) return out;
        for (unsigned i = 0; i < n; ++i) {
            XWindowAttributes a;
            if (!x11test::shownOnScreen(d, children[i], &a) || !a.override_redirect) continue;
            const auto name = x_->text(children[i], "_NET_WM_NAME");
            if (name && name->rfind("Tessane ", 0) == 0) out.push_back({children[i], name->substr(8), {a.x, a.y, a.width, a.height}});
        }
        if (children) XFree(children);
        return out;
    }
    std::vector<Shown> panels(const std::string& name) {
        auto all = panels();
        std::erase_if(all, [&](const Shown& s) { return s.name != name; });
        return all;
    }
    // The child of the root that takes the pointer at (x, y).
    Window inputAt(int x, int y) {
        EXPECT_EQ(server_->run({"xdotool", "mousemove", std::to_string(x), std::to_string(y)}), 0);
        Window root = 0, child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        XQueryPointer(x_->display(), x_->root(), &root, &child, &rx, &ry, &wx, &wy, &mask);
        return child;
    }
    // A client window's own area, in root coordinates.
    RootRect client(Window window) {
        x_->processEvents();
        XWindowAttributes a;
        Window child = 0;
        int x = 0, y = 0;
        if (!XGetWindowAttributes(x_->display(), window, &a) ||
            !XTranslateCoordinates(x_->display(), window, x_->root(), 0, 0, &x, &y, &child))
            return {};
        return {x, y, a.width, a.height};
    }
    // The screen as it is, for people to look at: under TESSANE_SCREENSHOT_DIR, else the current
    // folder (the build's test folder under ctest).
    void saveScreen(const std::string& file) {
        const int width = kScreenWidth, height = 1080;
        XImage* image = XGetImage(x_->display(), x_->root(), 0, 0, width, height, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        QImage out(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) out.setPixel(x, y, 0xFF000000u | (XGetPixel(image, x, y) & 0xFFFFFF));
        XDestroyImage(image);
        const char* dir = std::getenv("TESSANE_SCREENSHOT_DIR");
        EXPECT_TRUE(out.save(QString::fromStdString((std::filesystem::path(dir ? dir : ".") / file).string())));
    }
    // picom with the settings Debian ships as its example (shadows on), on the test's server; why
    // it cannot run there, or nothing once it owns the screen.
    std::string startPicom() {
        std::ifstream example("/usr/share/doc/picom/examples/picom.sample.conf");
        if (!example) return "picom's example configuration is not installed";
        std::stringstream text;
        text << example.rdbuf();
        // Xvfb has no vertical blank to wait for: picom refuses to start when asked to.
        std::string config = text.str();
        const auto vsync = config.find("\nvsync = true");
        if (vsync != std::string::npos) config.replace(vsync, 14, "\nvsync = false");
        // Nor fades, which would leave the pixels changing while they are read (focus changes fade
        // windows to the inactive opacity).
        const auto fading = config.find("\nfading = true");
        if (fading != std::string::npos) config.replace(fading, 15, "\nfading = false");
        const std::string path = server_->logFolder() + "/picom.conf";
        std::ofstream(path) << config;
        picom_ = ChildProcess::start({"picom", "--config", path}, server_->display(), server_->logFolder() + "/picom.log");
        const auto owned = [&] { return compositor() != None; };
        // Metacity, Marco, Mutter and KWin composite the screen themselves, shadows of their frames
        // and all: picom cannot run beside them.
        if (owned()) return server_->windowManagerName() + " composites the screen itself: no picom beside it";
        if (!picom_ || !waitFor(owned, testing::kMaybeNever)) return "picom did not start on this X server (see " + server_->logFolder() + "/picom.log)";
        picomOwner_ = compositor();
        return {};
    }
    Window compositor() { return XGetSelectionOwner(x_->display(), x_->atom("_NET_WM_CM_S0")); }
    // A manager that starts compositing late (KWin) takes the screen from picom.
    bool picomTookOver() { return compositor() != picomOwner_; }
    // A probe mapped, seen and then gone tells that picom has drawn what was there before it.
    bool picomDrew() {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = 0xFF00FF;
        const Window probe = XCreateWindow(x_->display(), x_->root(), 0, 0, 40, 40, 0, CopyFromParent, InputOutput,
                                           CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapRaised(x_->display(), probe);
        x_->sync();
        const bool shown = waitFor([&] { return picomTookOver() || pixel(20, 20) == 0xFF00FF; });
        XDestroyWindow(x_->display(), probe);
        x_->sync();
        return shown && waitFor([&] { return pixel(20, 20) != 0xFF00FF; });
    }
    std::unique_ptr<ChildProcess> picom_;
    Window picomOwner_ = None;
    // The pair shown, a click into Alpha's pane (the window manager raises its frame), then a
    // right-click on the rail: the rail takes the pointer off the panes and opens the actions menu.
    void clickAnAppThenRightClickTheRail() {
        startWithPair();
        ASSERT_NO_FATAL_FAILURE(showPair());
        // The first show's tips card is up.
        ASSERT_TRUE(waitFor([&] { return panels("rail").size() == 1 && panels("tips").size() == 1; }));
        const RootRect a = frame(alpha_);
        ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(a.x + a.width / 2), std::to_string(a.y + a.height / 2),
                                "click", "1"}),
                  0);
        const Shown rail = panels("rail").at(0);
        // All of it but where it lies over the panes' title bars, though without a compositing manager
        // it shows only its pill (the window answering there may be the rail's own or an input-only one
        // laid exactly over it).
        const auto railTakes = [&](int x, int y) {
            const Window at = inputAt(x, y);
            XWindowAttributes attributes;
            return at == rail.id || (at && XGetWindowAttributes(x_->display(), at, &attributes) &&
                                     attributes.c_class == InputOnly && attributes.x == rail.rect.x &&
                                     attributes.y == rail.rect.y && attributes.width == rail.rect.width);
        };
        for (const int dx : {0, rail.rect.width / 2, rail.rect.width - 1})
            for (const int dy : {0, rail.rect.height / 2, rail.rect.height - 1}) {
                const int x = rail.rect.x + dx, y = rail.rect.y + dy;
                EXPECT_TRUE((dx != rail.rect.width / 2 && dy > 0) || waitFor([&] { return railTakes(x, y); })) << "at " << x << "," << y;
            }
        // At its centre, back from outside it so that it was never hovered.
        ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(a.x + a.width / 2), std::to_string(a.y + a.height / 2)}), 0);
        ASSERT_EQ(server_->run({"xdotool", "mousemove", std::to_string(rail.rect.x + rail.rect.width / 2),
                                std::to_string(rail.rect.y + rail.rect.height / 2), "click", "3"}),
                  0);
        EXPECT_TRUE(waitFor([&] { return openMenuWindow() != 0; }))
            << "no actions menu of ours after a right-click on the rail";
        press("Escape");
    }
    // The panes of `left` and `right` (read into `a` and `b`) side by side with `extra` holding,
    // as the window manager has them once it has answered a round trip asked after that: every
    // move the program asked for before then is done.
    bool tiledAsAnswered(XWindowId left, XWindowId right, RootRect& a, RootRect& b, const std::function<bool()>& extra) {
        const auto holds = [&] {
            a = frame(left), b = frame(right);
            return a.width > 0 && b.x > a.x + a.width && extra();
        };
        return waitFor(holds) && x_->manager().echo(30) && waitFor(holds);
    }
    static std::string text(const RootRect& r) {
        return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" + std::to_string(r.height);
    }
};

}  // namespace tessane::e2e
