// The desktop's states as they meet Tessane: an app going fullscreen and back, no window manager
// at all, hot keys while one of our alerts is up, and GNOME's Mutter, which keeps minimized
// windows mapped.
#include "EndToEndTest.h"

#include "x11/support/ShownOnScreen.h"
#include <X11/Xlib.h>
#include <X11/Xutil.h>  // the ICCCM window states

#include <csignal>

namespace tessane::e2e {
namespace {

using linux_backend::X11Connection;


// Tessane's top-level windows that the X server shows on the screen (a toolkit's helper sits off
// screen), override-redirect (our panels) or not, as "x,y wxh".
std::vector<std::string> tessaneWindows(X11Connection& x, pid_t tessane, bool overrideRedirect) {
    Display* d = x.display();
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    std::vector<std::string> found;
    if (!XQueryTree(d, x.root(), &root, &parent, &children, &n)) return {"?"};
    for (unsigned i = 0; i < n; ++i) {
        XWindowAttributes a;
        const auto pid = x.cardinals(children[i], "_NET_WM_PID");
        if (x11test::shownOnScreen(d, children[i], &a) &&
            (a.override_redirect != 0) == overrideRedirect && a.x + a.width > 0 && a.y + a.height > 0 && pid &&
            !pid->empty() && (*pid)[0] == tessane)
            found.push_back(std::to_string(a.x) + "," + std::to_string(a.y) + " " + std::to_string(a.width) + "x" +
                            std::to_string(a.height));
    }
    if (children) XFree(children);
    return found;
}

class DesktopStatesTest : public EndToEndTest {
protected:
    std::vector<std::string> viewableChrome() { return tessaneWindows(*x_, tessane_->pid(), true); }
    std::string chromeText() {
        std::string text;
        for (const auto& panel : viewableChrome()) text += "[" + panel + "] ";
        return text;
    }
    void fullScreen(XWindowId window, bool on) {
        ASSERT_EQ(server_->run({"wmctrl", "-i", "-r", std::to_string(window), "-b",
                                std::string(on ? "add" : "remove") + ",fullscreen"}),
                  0);
    }
};

// As `wmctrl -b add,fullscreen` does it (a client message to the window manager): the chrome
// steps off the screen while Alpha is fullscreen, Beta moved away meanwhile is left alone, and
// once Alpha leaves fullscreen the chrome is back and Beta is put back in its pane.
TEST_F(DesktopStatesTest, TheChromeLeavesWhileAnAppIsFullscreenAndComesBackWithTheTile) {
    startWithPair();
    showPair();
    ASSERT_TRUE(waitFor([&] { return !viewableChrome().empty(); })) << log();

    fullScreen(alpha_, true);
    EXPECT_TRUE(waitFor([&] { return frame(alpha_).width == kScreenWidth && viewableChrome().empty(); }))
        << frameText(alpha_) << ", chrome " << chromeText() << "\n" << log();
    ASSERT_EQ(server_->run({"xdotool", "windowmove", std::to_string(beta_), "300", "400"}), 0);
    ASSERT_TRUE(waitFor([&] { return frame(beta_).x == 300; })) << frameText(beta_);

    fullScreen(alpha_, false);
    EXPECT_TRUE(waitFor([&] { return !viewableChrome().empty() && tiled(); }))
        << frames() << ", chrome " << chromeText() << "\n" << log();
    EXPECT_EQ(logCount("“Pair”: app fullscreen — chrome hidden"), 1u) << log();
    EXPECT_EQ(logCount("“Pair”: left fullscreen — chrome restored, re-tiling."), 1u) << log();
}

// A display without a window manager: nothing can be placed, and a show says why.
class NoWindowManagerTest : public EndToEndTest {
protected:
    static void SetUpTestSuite() {
        X11TestServer::Options options;
        options.windowManager = false;
        startServer(options);
    }
    // With no window manager, Tessane's windows are top-level windows of their own.
    size_t ownWindows() { return tessaneWindows(*x_, tessane_->pid(), false).size(); }
};

// The hot key's show tells the user in an alert; while it is up the hot keys are still served,
// and a second show adds no second alert.
TEST_F(NoWindowManagerTest, AShowSaysWhyInOneAlertAndHotKeysAreServedWhileItIsUp) {
    startWithPair();
    // The welcome panel opens at its window-control step at the start.
    ASSERT_TRUE(waitFor([&] { return ownWindows() == 1u; })) << log();
    press("super+alt+1");
    ASSERT_TRUE(waitFor([&] { return ownWindows() == 2u; })) << log();
    press("super+alt+h");
    EXPECT_TRUE(waitForLog("[Tessane] Hide active workspace requested, but none is active — ignored.")) << log();
    press("super+alt+1");
    EXPECT_TRUE(waitFor([&] { return logCount("[Tessane] Show: window control not available") == 2; })) << log();
    EXPECT_EQ(ownWindows(), 2u);
}

class MutterTest : public EndToEndTest {
protected:
    static void SetUpTestSuite() {
        X11TestServer::Options options;
        options.windowManagerName = "mutter";
        startServer(options);
    }
};

// Mutter answers neither the ICCCM request to restore a window nor a map request: the quit has
// to bring the hidden apps back another way.
TEST_F(MutterTest, SigtermBringsBackEveryAppTessaneHid) {
    startWithPair();
    press("super+alt+1");
    ASSERT_TRUE(waitForLog("[Tessane] Show ‘Pair’: frame up")) << log();
    press("super+alt+h");
    ASSERT_TRUE(waitForState({alpha_, beta_}, IconicState)) << log();
    EXPECT_EQ(endTessane(SIGTERM), 0);
    EXPECT_TRUE(waitForState({alpha_, beta_}, NormalState)) << log();
}

}  // namespace
}  // namespace tessane::e2e
