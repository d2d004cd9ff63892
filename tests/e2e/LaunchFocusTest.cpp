// A show that launches an app on xfwm4, which gives every new window the focus unless the window
// asks for none: the launched app comes up beside the primary one, and the primary app keeps
// the focus the show gave it.
#include "EndToEndTest.h"

#include <X11/Xlib.h>

namespace tessane::e2e {
namespace {

class LaunchFocusTest : public EndToEndTest {
protected:
    static void SetUpTestSuite() {
        std::string error;
        X11TestServer::Options options;
        options.windowManagerName = "xfwm4";
        server_ = X11TestServer::start(options, &error).release();
        if (!server_) FAIL() << "no private X server with xfwm4: " << error;
    }
    XWindowId activeWindow() {
        auto active = x_->windowList(x_->root(), "_NET_ACTIVE_WINDOW");
        return active && !active->empty() ? (*active)[0] : 0;
    }
    XWindowId windowOfClass(const std::string& klass) {
        for (auto w : x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{}))
            if (auto c = x_->wmClass(w); c && c->second == klass) return w;
        return 0;
    }
};

TEST_F(LaunchFocusTest, AShowThatLaunchesAnAppEndsWithThePrimaryAppActive) {
    home_->installApp("Alpha");
    // Beta shows its window 2 s after it starts and keeps its user time on a window of its own.
    home_->installApp("Beta", {"--delay", "2", "--user-time-window"});
    alpha_ = runApp("Alpha").windows.at(0);
    home_->storeWorkspaces({home_->workspace("Pair", {"Alpha", "Beta"})});
    startTessane();
    ASSERT_TRUE(waitForLog("[Tessane][AX] launch: ")) << log();
    press("alt+super+1");
    ASSERT_TRUE(waitFor([&] { return (beta_ = windowOfClass("BetaApp")) != 0; }, kDeadline)) << log();
    ASSERT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
    const auto timeWindow = x_->windowList(beta_, "_NET_WM_USER_TIME_WINDOW");
    ASSERT_TRUE(timeWindow && timeWindow->size() == 1);
    EXPECT_EQ(x_->cardinals(timeWindow->front(), "_NET_WM_USER_TIME"), std::vector<long>{0});
    // The window manager has answered everything asked of it by now.
    ASSERT_TRUE(x_->windowManagerRoundTrip(2));
    EXPECT_EQ(activeWindow(), alpha_) << log();
}

}  // namespace
}  // namespace tessane::e2e
