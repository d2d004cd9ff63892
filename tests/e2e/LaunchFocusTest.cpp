// A show that launches an app: the launched app comes up beside the primary one, and the primary
// app keeps the focus the show gave it. On xfwm4, which gives every new window the focus unless
// the window asks for none, and on Openbox, which focuses it anyway unless it saw the user at
// work since the launch (a hot key grabbed by another client is not seen).
#include "EndToEndTest.h"

#include <X11/Xlib.h>

#include <csignal>
#include <cstdlib>

namespace tessane::e2e {
namespace {

// On the harness's own window manager (Openbox).
class LaunchFocusTest : public EndToEndTest {
protected:
    // A round trip to the app that owns `window`: it answers a ping (_NET_WM_PING, as window
    // managers send) once it has handled every event before it, so whatever it did about them
    // has reached the server by then.
    bool appRoundTrip(XWindowId window) {
        Display* d = XOpenDisplay(server_->display().c_str());
        if (!d) return false;
        XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);  // where the answer goes
        const Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False), ping = XInternAtom(d, "_NET_WM_PING", False);
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = protocols;
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(ping);
        e.xclient.data.l[1] = 4242;  // its time, answered back
        e.xclient.data.l[2] = static_cast<long>(window);
        XSendEvent(d, window, False, NoEventMask, &e);
        XFlush(d);
        const bool answered = waitFor(
            [&] {
                XEvent got;
                while (XPending(d)) {
                    XNextEvent(d, &got);
                    if (got.type == ClientMessage && got.xclient.message_type == protocols &&
                        got.xclient.data.l[0] == static_cast<long>(ping) && got.xclient.data.l[1] == 4242)
                        return true;
                }
                return false;
            });
        XCloseDisplay(d);
        return answered;
    }
    XWindowId windowOfClass(const std::string& klass) {
        for (auto w : x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{}))
            if (auto c = x_->wmClass(w); c && c->second == klass) return w;
        return 0;
    }
    void showLaunchingBeta() {
        home_->installApp("Alpha");
        // Beta shows its window 2 s after it starts and keeps its user time on a window of its own.
        home_->installApp("Beta", {"--delay", "2", "--user-time-window"});
        alpha_ = runApp("Alpha").windows.at(0);
        home_->storeWorkspaces({home_->workspace("Pair", {"Alpha", "Beta"})});
        ASSERT_NO_FATAL_FAILURE(startReadyTessane());
        press("super+alt+1");
        ASSERT_TRUE(waitFor([&] { return (beta_ = windowOfClass("BetaApp")) != 0; })) << log();
        ASSERT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
        const auto timeWindow = x_->windowList(beta_, "_NET_WM_USER_TIME_WINDOW");
        ASSERT_TRUE(timeWindow && timeWindow->size() == 1);
        EXPECT_EQ(x_->cardinals(timeWindow->front(), "_NET_WM_USER_TIME"), std::vector<long>{0});
        // The window manager has answered everything asked of it by now.
        ASSERT_TRUE(x_->windowManagerRoundTrip(2));
        EXPECT_EQ(activeWindow(), alpha_) << log();
    }
};

class LaunchFocusOnXfwmTest : public LaunchFocusTest {
protected:
    static void SetUpTestSuite() {
        X11TestServer::Options options;
        options.windowManagerName = "xfwm4";
        startServer(options);
    }
};

// A GTK editor from the system, whose window maps while the show is still activating.
TEST_F(LaunchFocusTest, AShowThatLaunchesARealEditorEndsWithThePrimaryAppActive) {
    const fs::path entry = "/usr/share/applications/l3afpad.desktop";
    if (!fs::exists(entry) || !fs::exists("/usr/bin/l3afpad")) GTEST_SKIP() << "L3afpad is not installed";
    ASSERT_NO_FATAL_FAILURE(startWithSystemPair("L3afpad", "l3afpad", entry));
    press("super+alt+1");
    XWindowId editor = 0;
    ASSERT_TRUE(waitFor([&] { return (editor = windowOfClass("L3afpad")) != 0; })) << log();
    ASSERT_TRUE(waitUntilTiled(alpha_, editor)) << frames(alpha_, editor) << "\n" << log();
    ASSERT_TRUE(x_->windowManagerRoundTrip(2));
    EXPECT_TRUE(waitFor([&] { return activeWindow() == alpha_; })) << log();
    // ... and keeps it: nothing hands it to the editor afterwards, neither the editor once it has
    // handled what it was sent, nor the window manager after that (the show's activation of Alpha,
    // its last, is the one seen).
    ASSERT_TRUE(appRoundTrip(editor)) << "the editor did not answer a ping";
    ASSERT_TRUE(x_->windowManagerRoundTrip(2));
    EXPECT_EQ(activeWindow(), alpha_) << log();
    if (const auto pid = x_->cardinals(editor, "_NET_WM_PID"); pid && !pid->empty())
        ::kill(static_cast<pid_t>(pid->front()), SIGKILL);
}

TEST_F(LaunchFocusOnXfwmTest, AShowThatLaunchesAnAppEndsWithThePrimaryAppActive) { showLaunchingBeta(); }

}  // namespace
}  // namespace tessane::e2e
