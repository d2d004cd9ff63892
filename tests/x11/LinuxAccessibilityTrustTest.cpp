#include "x11/LinuxBackendTest.h"
#include "platform/linux/x11/X11ManagerWatch.h"

// Last: Xlib's macros must not reach the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <map>
#include <vector>

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
    // Lists `windows` as its clients, in their normal state, and hears what is asked of them.
    void manage(const std::vector<unsigned long>& windows) {
        const Window root = DefaultRootWindow(display_);
        XSelectInput(display_, root, SubstructureNotifyMask);
        std::vector<long> list(windows.begin(), windows.end());
        XChangeProperty(display_, root, XInternAtom(display_, "_NET_CLIENT_LIST", False), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(list.data()), static_cast<int>(list.size()));
        for (unsigned long w : windows) setState(w, NormalState);
        XSync(display_, False);
    }
    // Works through the iconifies asked since, dropping the first asked of each window.
    void serve() {
        const Atom changeState = XInternAtom(display_, "WM_CHANGE_STATE", False);
        for (XEvent e; XPending(display_);) {
            XNextEvent(display_, &e);
            if (e.type != ClientMessage || e.xclient.message_type != changeState || e.xclient.data.l[0] != IconicState)
                continue;
            if (++iconifiesAsked[e.xclient.window] < 2) continue;
            setState(e.xclient.window, IconicState);
            XUnmapWindow(display_, e.xclient.window);
        }
        XSync(display_, False);
    }
    // Restores a window on its own, as Xfwm did acting late on an activation asked before a hide.
    void bringBack(unsigned long window) {
        setState(window, NormalState);
        XMapWindow(display_, window);
        XSync(display_, False);
    }
    std::map<unsigned long, int> iconifiesAsked;
    void crash() {
        if (display_) XCloseDisplay(display_);
        display_ = nullptr;
    }

private:
    void setState(unsigned long window, long state) {
        long data[2] = {state, 0};
        const Atom atom = XInternAtom(display_, "WM_STATE", False);
        XChangeProperty(display_, window, atom, atom, 32, PropModeReplace, reinterpret_cast<unsigned char*>(data), 2);
    }
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

// A manager that answers without doing an iconify asked of it is asked it again, and one that
// brings back a window we had just activated right after the hide took it down (acting late on
// the activation) has it asked down again: the hide leaves no window up.
TEST_F(LinuxAccessibilityTrust, AnIconifyTheManagerAnsweredWithoutDoingIsAskedAgain) {
    FakeWindowManager wm(server_->display());
    auto& alpha = startClient({"--class", "alpha.Alpha", "--windows", "2"});
    wm.manage(alpha.windows);
    startApplications();
    const Pid pid = static_cast<Pid>(alpha.process->pid());
    ASSERT_TRUE(waitFor([&] { return running_->runningApplication(pid).has_value(); }));
    const auto back = alpha.windows.at(0);
    ax_->performAction(AXElement::fromHandle(back), ax::kRaise);  // activated just before, as by a show
    ASSERT_TRUE(running_->hide(pid));
    EXPECT_TRUE(waitFor([&] {
        wm.serve();
        return std::all_of(alpha.windows.begin(), alpha.windows.end(), [&](auto w) { return ax_->isMinimized(w) == true; });
    }));
    for (auto w : alpha.windows) EXPECT_EQ(wm.iconifiesAsked[w], 2);

    ASSERT_TRUE(caughtUp());
    wm.bringBack(back);
    EXPECT_TRUE(waitFor([&] {
        wm.serve();
        return ax_->isMinimized(back) == true;
    }));
    EXPECT_EQ(wm.iconifiesAsked[back], 3);
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
