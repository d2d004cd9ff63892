#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtX11Pump.h"
#include "x11/X11TestBase.h"
#include "x11/support/X11TestServer.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// Last: Xlib's macros must not reach the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tessane::x11test {
namespace {

// A stand-in for a window manager: the EWMH check window, pointed at from the root and from
// itself. Closing the connection destroys the window but leaves the root's property behind, as
// a window manager that crashes does.
class FakeWindowManager {
public:
    explicit FakeWindowManager(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
        if (!display_) return;
        const Window root = DefaultRootWindow(display_);
        check_ = XCreateSimpleWindow(display_, root, 0, 0, 1, 1, 0, 0, 0);
        const Atom atom = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
        auto* data = reinterpret_cast<unsigned char*>(&check_);
        XChangeProperty(display_, check_, atom, XA_WINDOW, 32, PropModeReplace, data, 1);
        XChangeProperty(display_, root, atom, XA_WINDOW, 32, PropModeReplace, data, 1);
        XSync(display_, False);
    }
    ~FakeWindowManager() { crash(); }
    bool running() const { return display_ != nullptr; }
    void crash() {
        if (display_) XCloseDisplay(display_);
        display_ = nullptr;
    }

private:
    Display* display_ = nullptr;
    Window check_ = 0;
};

TEST(LinuxAccessibilityTrust, WindowControlFollowsTheWindowManagerComingAndGoing) {
    std::string error;
    auto bare = X11TestServer::start({.windowManager = false}, &error);
    ASSERT_TRUE(bare) << error;
    auto x = linux_backend::X11Connection::open(bare->display().c_str());
    ASSERT_TRUE(x);
    ensureQtApplication();
    qt_backend::QtMainQueue queue;
    Subscription pump = qt_backend::pumpX11Events(queue, *x);
    linux_backend::LinuxScreens screens(*x, queue);
    linux_backend::LinuxAccessibility ax(*x, screens, queue);
    // Without a window manager there is no window control at all.
    EXPECT_FALSE(ax.isProcessTrusted());
    EXPECT_EQ(ax.copyAttribute(ax.applicationElement(1), ax::kWindows).error, AXError::apiDisabled);

    FakeWindowManager wm(bare->display());
    ASSERT_TRUE(wm.running());
    EXPECT_TRUE(waitFor([&] { return ax.isProcessTrusted(); }));

    wm.crash();  // the root still names the check window, which is gone
    EXPECT_TRUE(waitFor([&] { return !ax.isProcessTrusted(); }));
    EXPECT_EQ(ax.copyAttribute(ax.applicationElement(1), "AXWindows").error, AXError::apiDisabled);
}

// A manager replaced by another (`--replace`) leaves window control in place. Mutter's leaving
// instance deletes the root's check property after its successor has set it: the new one is
// found by the WM_S0 selection it owns.
class WindowManagerReplacedTest : public X11TestBase {};

TEST_F(WindowManagerReplacedTest, WindowControlStaysWithTheManagerThatReplacedTheLastOne) {
    if (server_->windowManagerName() == "fluxbox") GTEST_SKIP() << "Fluxbox cannot replace a running manager";
    ensureQtApplication();
    qt_backend::QtMainQueue queue;
    linux_backend::LinuxScreens screens(*x_, queue);
    Subscription pump = qt_backend::pumpX11Events(queue, *x_);
    linux_backend::LinuxAccessibility ax(*x_, screens, queue);
    int prompts = 0;
    ax.setPrompt([&](const std::optional<std::string>&) { ++prompts; });
    ASSERT_TRUE(ax.isProcessTrusted());
    ASSERT_EQ(server_->replaceWindowManager(), "");
    // The old manager's leaving heard, window control is awaited by events, not asked for on
    // the spot, and comes back with the new one; nobody was prompted meanwhile.
    x_->sync();
    x_->processEvents();
    ax.isProcessTrustedWithPrompt(true);
    bool settled = !ax.awaitWindowControl([&] { settled = true; });
    EXPECT_TRUE(waitFor([&] { return settled; }));
    EXPECT_TRUE(x_->windowManager().has_value());
    EXPECT_TRUE(ax.isProcessTrusted());
    EXPECT_EQ(prompts, 0);
}

}  // namespace
}  // namespace tessane::x11test
