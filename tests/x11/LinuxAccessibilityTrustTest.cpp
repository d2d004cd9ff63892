#include "x11/LinuxBackendTest.h"
#include "platform/linux/x11/X11ManagerWatch.h"

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

// A server with no window manager of its own.
class LinuxAccessibilityTrust : public LinuxBackendTest {
protected:
    static void SetUpTestSuite() { startServer({.windowManager = false}); }
};

TEST_F(LinuxAccessibilityTrust, WindowControlFollowsTheWindowManagerComingAndGoing) {
    // Without a window manager there is no window control at all.
    EXPECT_FALSE(ax_->isProcessTrusted());
    EXPECT_EQ(ax_->copyAttribute(ax_->applicationElement(1), ax::kWindows).error, AXError::apiDisabled);

    FakeWindowManager wm(server_->display());
    ASSERT_TRUE(wm.running());
    EXPECT_TRUE(waitFor([&] { return ax_->isProcessTrusted(); }));

    wm.crash();  // the root still names the check window, which is gone
    EXPECT_TRUE(waitFor([&] { return !ax_->isProcessTrusted(); }));
    EXPECT_EQ(ax_->copyAttribute(ax_->applicationElement(1), "AXWindows").error, AXError::apiDisabled);
}

// A manager replaced by another (`--replace`) leaves window control in place. Mutter's leaving
// instance deletes the root's check property after its successor has set it: the new one is
// found by the WM_S0 selection it owns.
using WindowManagerReplacedTest = LinuxBackendTest;

TEST_F(WindowManagerReplacedTest, WindowControlStaysWithTheManagerThatReplacedTheLastOne) {
    if (server_->windowManagerName() == "fluxbox") GTEST_SKIP() << "Fluxbox cannot replace a running manager";
    linux_backend::LinuxAccessibility& ax = *ax_;
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
    EXPECT_TRUE(x_->manager().current().has_value());
    EXPECT_TRUE(ax.isProcessTrusted());
    EXPECT_EQ(prompts, 0);
}

}  // namespace
}  // namespace tessane::x11test
