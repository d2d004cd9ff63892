#include "platform/linux/windows/WindowManagerWaits.h"
#include "platform/linux/x11/X11ManagerWatch.h"
#include "x11/LinuxBackendTest.h"

#include <X11/Xlib.h>

#include <csignal>

// Last: Xlib's macros must not reach the Qt headers above.
#include "x11/RootMessages.h"

namespace tessane::x11test {
namespace {

using linux_backend::XWindowId;

// Hiding and showing an application of many windows, under whichever window manager the run
// names (LinuxRunningApplicationsTest always runs Openbox).
class ManyWindowsTest : public LinuxBackendTest {
protected:
    void SetUp() override {
        LinuxBackendTest::SetUp();
        writeEntry("quiet", "Name=Quiet\nExec=" + std::string(TESSANE_X11_CLIENT) + " --class quiet.Quiet\n");
    }
    void TearDown() override {
        if (const auto quiet = running_ ? running_->runningApplicationsWithBundleIdentifier("quiet") : std::vector<RunningApplication>{};
            !quiet.empty())
            ::kill(quiet.front().pid, SIGKILL);
        LinuxBackendTest::TearDown();
    }
    // A client of `count` windows, the backend's applications started once the manager has
    // taken in every one of them (their log lines in `said_`).
    Client& startMany(int count) {
        auto& many = startClient({"--class", "many.Many", "--windows", std::to_string(count), "--size", "120x80"});
        EXPECT_EQ(many.windows.size(), static_cast<size_t>(count));
        EXPECT_TRUE(waitFor([&] {
            const auto listed = x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{});
            return std::all_of(many.windows.begin(), many.windows.end(),
                               [&](auto w) { return std::find(listed.begin(), listed.end(), w) != listed.end(); });
        }));
        startApplications(nullptr, [this](const std::string& l) { said_.push_back(l); });
        return many;
    }
    long minimizedOf(const Client& many) {
        return std::count_if(many.windows.begin(), many.windows.end(), [&](auto w) { return ax_->isMinimized(w) == true; });
    }
    std::vector<std::string> said_;
};

// Before, each window cost the unhide round trips of its own (each request checked, each state
// read afresh while the manager was busy restoring the others): 200 windows took over 200, and
// up to three waits of a second. Now the whole application costs a few, and no window is said to
// have stayed minimized when the manager was only slow to restore it.
TEST_F(ManyWindowsTest, AnAppOfManyWindowsComesBackWithRoundTripsThatDoNotGrowWithItsWindows) {
    auto& many = startMany(200);
    ASSERT_FALSE(HasFailure());
    const Pid pid = static_cast<Pid>(many.process->pid());
    const auto minimized = [&] { return minimizedOf(many); };
    ASSERT_TRUE(waitFor([&] { return running_->runningApplication(pid).has_value(); }));
    ASSERT_TRUE(running_->hide(pid));
    // Hidden as soon as asked, its iconifies paced: a show that comes now unhides it (it found
    // the application shown, and left the iconifies queued to go on after it).
    EXPECT_TRUE(running_->runningApplication(pid)->isHidden);
    ASSERT_TRUE(waitFor([&] { return minimized() == 200; })) << minimized();

    // The windows a show tiles are the front ones: they are back when unhide returns, the others
    // may come back after it.
    std::vector<XWindowId> front;
    for (XWindowId w : ax_->clientsFrontToBack())
        if (front.size() < 4 && std::find(many.windows.begin(), many.windows.end(), w) != many.windows.end())
            front.push_back(w);
    ASSERT_EQ(front.size(), 4u);
    const uint64_t before = x_->roundTrips();
    WaitBounds::take();
    ASSERT_TRUE(running_->unhide(pid));
    // A few dozen under any manager at most, never one per window (200 here).
    EXPECT_LT(x_->roundTrips() - before, 50u);
    // Whether the manager takes the restore most managers ignore is known from what it did (its
    // answer, or the echo of one that answers none: KWin), never from that wait's bound.
    for (const auto& tally : WaitBounds::take()) {
        if (tally.name == linux_backend::waits::kIgnoredRestore.name) {
            EXPECT_EQ(tally.ranOut, 0);
        }
    }
    for (XWindowId w : front) EXPECT_EQ(ax_->isMinimized(w), false) << w;
    ASSERT_TRUE(waitFor([&] { return minimized() == 0; })) << minimized();
    EXPECT_FALSE(running_->runningApplication(pid)->isHidden);

    // Hidden beside a second application and shown again at once, while the manager still works
    // through the hide (Openbox animates each iconify): the second application's window, which
    // the manager may iconify only after the show, comes back with the others.
    auto& alpha = startClient({"--class", "alpha.Alpha"});
    const XWindowId alphaWindow = alpha.windows.front();
    const Pid alphaPid = static_cast<Pid>(alpha.process->pid());
    ASSERT_TRUE(waitFor([&] { return running_->runningApplication(alphaPid).has_value(); }));
    bool alphaWentDown = false;  // heard as it happens: it may be back a moment later
    const auto heard = x_->onEvent([&](const linux_backend::X11Event& e) {
        alphaWentDown = alphaWentDown || (e.window == alphaWindow && ax_->isMinimized(alphaWindow) == true);
    });
    ASSERT_TRUE(running_->hide(pid) && running_->hide(alphaPid));
    ASSERT_TRUE(running_->unhide(pid) && running_->unhide(alphaPid));
    ASSERT_TRUE(waitFor([&] { return alphaWentDown; }, testing::kManyWindows));
    EXPECT_TRUE(waitFor([&] { return minimized() == 0 && ax_->isMinimized(alphaWindow) == false; }))
        << minimized();
    for (const auto& line : said_) EXPECT_EQ(line.find("stayed minimized"), std::string::npos) << line;
}

// The windows behind the front ones come back after the turn of the event loop that unhid
// them; a backend that goes before that turn ends (a quit) still asks for them. A manager held up
// during the hide (a busy machine) is slow, not hung: it is waited for, not sent the whole hide.
TEST_F(ManyWindowsTest, WindowsLeftToComeBackWhenTheBackendGoesAreStillBroughtBack) {
    auto& many = startMany(20);
    ASSERT_FALSE(HasFailure());
    const Pid pid = static_cast<Pid>(many.process->pid());
    const auto minimized = [&] { return minimizedOf(many); };
    ASSERT_TRUE(waitFor([&] { return running_->runningApplication(pid).has_value(); }));
    // Stopped once it is done taking the windows in: a manager stopped while it holds the server
    // grabbed (Openbox does while it frames a window) stops every client, this test with them.
    ASSERT_TRUE(x_->manager().echo(30));
    server_->stopWindowManagerFor(3);  // longer than the 2 s a manager was once given
    ASSERT_TRUE(running_->hide(pid));
    keepTurning(3s);
    ASSERT_TRUE(waitFor([&] { return minimized() == 20; })) << minimized();
    for (const auto& line : said_) EXPECT_EQ(line.find("the rest of the hide was asked for at once"), std::string::npos) << line;

    ASSERT_TRUE(running_->unhide(pid));
    apps_.reset();
    running_.reset();
    list_.reset();
    ax_.reset();
    ax_ = std::make_unique<linux_backend::LinuxAccessibility>(*x_, *screens_, *queue_);
    EXPECT_TRUE(waitFor([&] { return minimized() == 0; })) << minimized();
}

// A show that restores one application (by activation: Mutter) while the window active before it
// is one the hide asked down (Mutter names it active a while, or it was brought back) does not
// activate it again, which kept it up for good; and the next hide takes every window down.
TEST_F(ManyWindowsTest, AShowGivesNoFocusBackToAWindowAHideAskedDown) {
    auto& alpha = startClient({"--class", "alpha.Alpha"});
    auto& beta = startClient({"--class", "beta.Beta"});
    const XWindowId alphaWindow = alpha.windows.front(), betaWindow = beta.windows.front();
    const Pid alphaPid = static_cast<Pid>(alpha.process->pid()), betaPid = static_cast<Pid>(beta.process->pid());
    startApplications(nullptr, nullptr);
    ASSERT_TRUE(waitFor([&] { return running_->runningApplication(alphaPid) && running_->runningApplication(betaPid); }));
    ASSERT_TRUE(running_->hide(betaPid) && running_->hide(alphaPid));
    ASSERT_TRUE(waitFor([&] { return ax_->isMinimized(betaWindow) == true && ax_->isMinimized(alphaWindow) == true; }));
    x_->requestActivate(alphaWindow);
    x_->flush();
    ASSERT_TRUE(waitFor([&] { return activeWindow() == alphaWindow && ax_->isMinimized(alphaWindow) == false; }));

    EXPECT_EQ(rootMessages(server_->display(), "_NET_ACTIVE_WINDOW", alphaWindow, std::nullopt,
                           [&] { ASSERT_TRUE(running_->unhide(betaPid)); }),
              0);
    EXPECT_TRUE(waitFor([&] { return ax_->isMinimized(betaWindow) == false; }));

    ASSERT_TRUE(running_->hide(betaPid) && running_->hide(alphaPid));
    EXPECT_TRUE(waitFor([&] { return ax_->isMinimized(betaWindow) == true && ax_->isMinimized(alphaWindow) == true; }));
}

// The focus a launch's window takes unasked goes back to the window activated last, also when that
// activation went through the accessibility action (a show's primary), not to the one active
// before it (which then sat over the workspace's panes).
TEST_F(ManyWindowsTest, AWindowThatTakesTheFocusUnaskedGivesItBackToTheWindowActivatedLast) {
    setenv("DISPLAY", server_->display().c_str(), 1);  // the launch's
    auto& before = startClient({"--class", "before.Before"});
    auto& primary = startClient({"--class", "primary.Primary"});
    x_->requestActivate(before.windows.front());
    x_->flush();
    ASSERT_TRUE(waitFor([&] { return activeWindow() == before.windows.front(); }));
    startApplications(nullptr, nullptr);

    // The launch and the activation are heard by the backend in one look, as on a busy machine.
    running_->openApplication(root_ / "data/applications/quiet.desktop", {false}, [](auto, auto) {});
    ASSERT_EQ(ax_->performAction(AXElement::fromHandle(primary.windows.front()), ax::kRaise), AXError::success);
    const auto launched = [&] {
        const auto listed = x_->windowList(x_->root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{});
        return listed.size() > 2 ? listed.back() : XWindowId{0};
    };
    ASSERT_TRUE(waitFor([&] { return launched() != 0; }));
    if (!waitFor([&] { return activeWindow() == launched(); }, kAskAgain))
        GTEST_SKIP() << "the window manager does not focus a new window that asks not to be";
    EXPECT_TRUE(waitFor([&] { return activeWindow() != launched() && activeWindow() != 0; }));
    EXPECT_EQ(activeWindow(), primary.windows.front());
}

}  // namespace
}  // namespace tessane::x11test
