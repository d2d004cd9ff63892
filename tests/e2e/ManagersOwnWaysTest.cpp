// Window managers that do not tell when they are done: Fluxbox lists the frame-extents request
// and never answers it, KWin does not list it, Openbox puts a restored window's frame in place
// only once its animation ends; and a terminal's window that takes its size only in whole
// character cells. Each show ends with every window in its pane, the primary app focused
// and nothing said of a failure.
#include "EndToEndTest.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>  // the ICCCM window states

#include <csignal>
#include <cstdlib>

namespace tessane::e2e {
namespace {

template <const char* Manager>
class ManagerTest : public EndToEndTest {
protected:
    static void SetUpTestSuite() {
        X11TestServer::Options options;
        options.windowManagerName = Manager;
        startServer(options);
    }

    // Our alerts: managed windows of Tessane's titled with its name alone (the chrome's panels
    // carry names of their own). A modal alert stays until answered, so one raised by any earlier
    // show is still listed.
    size_t alerts() {
        size_t found = 0;
        for (const XWindowId w : x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{})) {
            const auto pid = x_->cardinals(w, "_NET_WM_PID");
            if (pid && !pid->empty() && (*pid)[0] == tessane_->pid() && x_->text(w, "_NET_WM_NAME") == "Tessane") ++found;
        }
        return found;
    }

    // Shows the pair, hides it, and shows it again, each time up to the show's "frame up" line,
    // which comes after its apps were brought back and their windows moved.
    void showHideShow() {
        showPair();
        ASSERT_TRUE(waitFor([&] { return hasFocus(alpha_); })) << "the primary app never had the focus";
        press("super+alt+h");
        ASSERT_TRUE(waitForState({alpha_, beta_}, IconicState)) << log();
        press("super+alt+1");
        ASSERT_TRUE(waitFor([&] { return logCount("[Tessane] Show ‘Pair’: frame up") == 2; })) << log();
        ASSERT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
        EXPECT_TRUE(waitForState({alpha_, beta_}, NormalState)) << log();
        EXPECT_TRUE(waitFor([&] { return hasFocus(alpha_); })) << "the primary app lost the focus";
    }
};

constexpr char kFluxbox[] = "fluxbox";
constexpr char kKWin[] = "kwin";
using FluxboxTest = ManagerTest<kFluxbox>;
using KWinTest = ManagerTest<kKWin>;
constexpr char kOpenbox[] = "openbox";
using OpenboxTest = ManagerTest<kOpenbox>;

// Fluxbox's silence is learnt at the first move, once: no move waits for it again, and windows
// that sit in their panes are never reported as ones that could not be moved.
TEST_F(FluxboxTest, ShowsOfAppsAlreadyOpenWaitOnceForTheUnansweredRequestAndRaiseNoAlert) {
    startWithPair();
    showHideShow();
    if (HasFatalFailure()) return;
    EXPECT_EQ(logCount("lists _NET_REQUEST_FRAME_EXTENTS but does not answer it"), 1u) << log();
    EXPECT_EQ(logCount("stayed minimized"), 0u) << log();
    EXPECT_EQ(alerts(), 0u) << log();
}

// Openbox (animations on, as it ships) brings the hidden windows back over 150 ms and puts their
// frames in place at the end: the re-show takes them as placed where their restore brings them,
// and they end there, restored, the primary focused, with nothing said of a failure.
TEST_F(OpenboxTest, AReShowWhoseRestoreIsAnimatedLeavesEveryWindowInItsPane) {
    startWithPair();
    showHideShow();
    if (HasFatalFailure()) return;
    EXPECT_EQ(logCount("[Tessane][geom]"), 0u) << log();  // no window read off its pane mid-way
    EXPECT_EQ(logCount("stayed minimized"), 0u) << log();
    EXPECT_EQ(alerts(), 0u) << log();
}

// A terminal's window never takes the exact pane size: it is confirmed at the size its cells
// allow; and windows KWin restores are not taken for ones it left minimized.
TEST_F(KWinTest, ATerminalsCellSizedWindowIsConfirmedInItsPaneAndThePrimaryKeepsTheFocus) {
    home_->installApp("Alpha");
    home_->installApp("Beta");
    alpha_ = runApp("Alpha").windows.at(0);
    beta_ = runApp("Beta", {"--increments", "6x13", "--base", "19x4"}).windows.at(0);
    home_->storeWorkspaces({home_->workspace("Pair", {"Alpha", "Beta"})});
    ASSERT_NO_FATAL_FAILURE(startReadyTessane());
    showHideShow();
    if (HasFatalFailure()) return;
    // On its cells: what lies beyond the base is whole cells.
    const RootRect b = frame(beta_);
    XWindowAttributes client;
    ASSERT_TRUE(XGetWindowAttributes(x_->display(), beta_, &client));
    EXPECT_EQ((client.width - 19) % 6, 0) << frameText(beta_);
    EXPECT_EQ((client.height - 4) % 13, 0) << frameText(beta_);
    EXPECT_GT(b.width, 0);
    EXPECT_EQ(logCount("stayed minimized"), 0u) << log();
    EXPECT_EQ(alerts(), 0u) << log();
}

// The same with the real XTerm, launched by the show: its cells, border and scroll bar are its own.
TEST_F(KWinTest, ARealXTermIsConfirmedInItsPaneAndThePrimaryKeepsTheFocus) {
    const fs::path entry = "/usr/share/applications/debian-xterm.desktop";
    if (!fs::exists(entry) || !fs::exists("/usr/bin/xterm")) GTEST_SKIP() << "XTerm is not installed";
    ASSERT_NO_FATAL_FAILURE(startWithSystemPair("XTerm", "debian-xterm", entry));
    press("super+alt+1");
    ASSERT_TRUE(waitFor([&] {
        for (auto w : x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{}))
            if (auto c = x_->wmClass(w); c && c->second == "XTerm") beta_ = w;
        return beta_ != 0;
    })) << log();
    const auto pid = x_->cardinals(beta_, "_NET_WM_PID");
    ASSERT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
    EXPECT_TRUE(waitFor([&] { return hasFocus(alpha_); })) << "the primary app never had the focus";
    press("super+alt+h");
    ASSERT_TRUE(waitForState({alpha_, beta_}, IconicState)) << log();
    press("super+alt+1");
    ASSERT_TRUE(waitFor([&] { return logCount("[Tessane] Show ‘Pair’: frame up") == 2; })) << log();
    EXPECT_TRUE(waitUntilTiled()) << frames() << "\n" << log();
    EXPECT_TRUE(waitFor([&] { return hasFocus(alpha_); })) << "the primary app lost the focus";
    EXPECT_EQ(logCount("stayed minimized"), 0u) << log();
    EXPECT_EQ(alerts(), 0u) << log();
    if (pid && !pid->empty()) ::kill(static_cast<pid_t>(pid->front()), SIGKILL);
}

}  // namespace
}  // namespace tessane::e2e
