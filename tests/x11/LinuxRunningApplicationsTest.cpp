#include "platform/linux/windows/WindowManagerWaits.h"
#include "x11/LinuxBackendTest.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>

// Last: Xlib's macros must not reach the Qt headers above.
#include "x11/RootMessages.h"

namespace tessane::x11test {
namespace {

namespace fs = std::filesystem;
using linux_backend::XWindowId;

// The main queue, counting the repeating timers its users ask for: a program at rest wakes for none.
struct TimerCountingQueue final : MainQueue {
    explicit TimerCountingQueue(MainQueue& queue) : q_(queue) {}
    TimeInterval now() const override { return q_.now(); }
    void post(std::function<void()> work) override { q_.post(std::move(work)); }
    void postFromAnyThread(std::function<void()> work) override { q_.postFromAnyThread(std::move(work)); }
    std::shared_ptr<WorkItem> postAfter(double s, std::function<void()> w) override { return q_.postAfter(s, std::move(w)); }
    std::shared_ptr<RepeatingTimer> scheduleRepeating(double interval, std::function<void()> tick) override {
        ++repeating;
        return q_.scheduleRepeating(interval, std::move(tick));
    }
    void runNested(double seconds) override { q_.runNested(seconds); }
    Subscription watchReadable(int fd, std::function<void()> f) override { return q_.watchReadable(fd, std::move(f)); }
    int repeating = 0;
    MainQueue& q_;
};

// The running-applications backend on the Qt loop, over a private XDG data folder whose
// desktop entries start our own test client. Openbox here leaves the focus where it is when a
// window appears, so that "launched without focus" can be seen.
class LinuxRunningApplicationsTest : public LinuxBackendTest {
protected:
    static void SetUpTestSuite() {
        X11TestServer::Options options;
        options.windowManagerName = "openbox";
        options.focusNewWindows = false;
        startServer(options);
    }

    void SetUp() override {
        LinuxBackendTest::SetUp();
        if (HasFatalFailure()) return;
        // Launched programs find our private server, not the session's.
        setenv("DISPLAY", server_->display().c_str(), 1);
        // Through env, so that other test clients (the same program) are not taken for this app.
        writeEntry("org.tessane.Launched", "Name=Launched Client\nExec=env TESSANE_LAUNCHED=1 " + std::string(TESSANE_X11_CLIENT) +
                                               " --class launched.LaunchedClient --title Launched\n");
        writeEntry("org.tessane.Beta", "Name=Beta\nStartupWMClass=BetaApp\nExec=beta-not-installed\n");
        writeEntry("gamma", "Name=Gamma\nExec=gamma-not-installed\n");
        writeEntry("org.tessane.Missing", "Name=Missing\nExec=/nonexistent/tessane-missing --flag\n");
    }
    // The backend under test, made when the test has set the desktop up.
    void startBackend() {
        counting_ = std::make_unique<TimerCountingQueue>(*queue_);
        startApplications(counting_.get(), [this](const std::string& l) { logLines_.push_back(l); });
        for (auto n : {RunningApplications::Notification::didLaunch, RunningApplications::Notification::didActivate,
                       RunningApplications::Notification::didTerminate})
            subscriptions_.push_back(running_->observe(n, [this, n](const RunningApplication& a) { heard_.push_back({n, a}); }));
    }
    void TearDown() override {
        for (Pid pid : launched_) ::kill(pid, SIGKILL);
        subscriptions_.clear();
        apps_.reset();
        running_.reset();  // before the queue it counts on
        counting_.reset();
        LinuxBackendTest::TearDown();
    }

    struct Answer {
        bool done = false;
        std::optional<RunningApplication> app;
        std::optional<SystemError> error;
    };
    Answer open(const std::string& id, bool activates) {
        auto answer = std::make_shared<Answer>();
        running_->openApplication(entry(id), {activates}, [answer](auto app, auto error) {
            answer->done = true;
            answer->app = app;
            answer->error = error;
        });
        EXPECT_FALSE(answer->done);  // always later, on the main queue
        EXPECT_TRUE(waitFor([&] { return answer->done; }));
        if (answer->app) launched_.push_back(answer->app->pid);
        return *answer;
    }

    std::optional<RunningApplication> running(Pid pid) { return running_->runningApplication(pid); }
    int heard(RunningApplications::Notification n, Pid pid) {
        return static_cast<int>(std::count_if(heard_.begin(), heard_.end(),
                                              [&](auto& h) { return h.first == n && h.second.pid == pid; }));
    }
    std::vector<XWindowId> windowsOf(Pid pid) {
        std::vector<XWindowId> out;
        for (XWindowId w : ax_->clientsFrontToBack())
            if (ax_->windowPid(w) == pid) out.push_back(w);
        return out;
    }
    // Hidden is said at once; this is when the manager has iconified every window.
    bool allMinimized(Pid pid) {
        const auto windows = windowsOf(pid);
        return !windows.empty() && std::all_of(windows.begin(), windows.end(), [&](XWindowId w) { return ax_->isMinimized(w) == true; });
    }
    // A foreign window that has the focus before our launches.
    XWindowId focusForeignWindow() {
        auto& other = startClient({"--class", "other.Other"});
        x_->requestActivate(other.windows[0]);
        EXPECT_TRUE(waitFor([&] { return activeWindow() == other.windows[0]; }));
        return other.windows[0];
    }

    std::unique_ptr<TimerCountingQueue> counting_;
    std::vector<Subscription> subscriptions_;
    std::vector<std::pair<RunningApplications::Notification, RunningApplication>> heard_;
    std::vector<Pid> launched_;
};

using N = RunningApplications::Notification;

TEST_F(LinuxRunningApplicationsTest, ALaunchWithoutFocusRunsHidesUnhidesAndQuitsWithItsNotifications) {
    startBackend();
    const XWindowId focused = focusForeignWindow();

    auto answer = open("org.tessane.Launched", /*activates=*/false);
    ASSERT_TRUE(answer.app) << (answer.error ? answer.error->localizedDescription : "no answer");
    EXPECT_EQ(counting_->repeating, 0);  // its exit before its first window is heard, not polled for
    const Pid pid = answer.app->pid;
    EXPECT_EQ(answer.app->bundleIdentifier, "org.tessane.Launched");
    EXPECT_EQ(answer.app->bundlePath, entry("org.tessane.Launched"));
    EXPECT_FALSE(answer.app->isFinishedLaunching);

    ASSERT_TRUE(waitFor([&] { return heard(N::didLaunch, pid) == 1; }));
    auto app = running(pid);
    ASSERT_TRUE(app);
    EXPECT_TRUE(app->isFinishedLaunching);
    EXPECT_EQ(app->bundleIdentifier, "org.tessane.Launched");
    EXPECT_EQ(app->localizedName, "Launched Client");
    EXPECT_EQ(app->activationPolicy, ActivationPolicy::regular);
    EXPECT_EQ(running_->runningApplicationsWithBundleIdentifier("org.tessane.Launched").size(), 1u);
    ASSERT_EQ(windowsOf(pid).size(), 1u);
    const XWindowId window = windowsOf(pid)[0];
    ASSERT_TRUE(x_->windowManagerRoundTrip(2));
    EXPECT_EQ(activeWindow(), focused);  // nobody gave it the focus
    // It asked for none: its startup id's time stamp and its user time say "no user action".
    EXPECT_TRUE(x_->text(window, "_NET_STARTUP_ID").value_or("").ends_with("_TIME0"));
    EXPECT_EQ(x_->cardinals(window, "_NET_WM_USER_TIME"), std::vector<long>{0});
    EXPECT_EQ(running_->frontmostApplication()->bundleIdentifier, std::nullopt);  // the foreign client

    ASSERT_TRUE(running_->hide(pid));
    ASSERT_TRUE(waitFor([&] { return allMinimized(pid); }));
    EXPECT_EQ(ax_->isMinimized(window), true);

    ASSERT_TRUE(running_->unhide(pid));
    EXPECT_EQ(ax_->isMinimized(window), false);  // restored by the time unhide returns
    EXPECT_FALSE(running(pid)->isHidden);
    ASSERT_TRUE(x_->windowManagerRoundTrip(2));
    EXPECT_EQ(activeWindow(), focused);  // restored without taking the focus

    // Hidden and unhidden again: a restore request this manager was seen to ignore is not sent
    // again. KWin and Mutter ignore WM_CHANGE_STATE to normal (the window came back by a later
    // request); Openbox restores the window by it. Another client hears the requests on the root.
    ASSERT_TRUE(running_->hide(pid));
    ASSERT_TRUE(waitFor([&] { return allMinimized(pid); }));
    const int normalStates = rootMessages(server_->display(), "WM_CHANGE_STATE", window, NormalState, [&] {
        ASSERT_TRUE(running_->unhide(pid));
        EXPECT_EQ(ax_->isMinimized(window), false);
    });
    const std::string manager = server_->windowManagerName();
    if (manager == "kwin" || manager == "mutter") {
        EXPECT_EQ(normalStates, 0);
    }
    if (manager == "openbox") {
        EXPECT_EQ(normalStates, 1);
    }
    ASSERT_TRUE(x_->windowManagerRoundTrip(2));
    EXPECT_EQ(activeWindow(), focused);

    ASSERT_TRUE(running_->terminate(pid));
    ASSERT_TRUE(waitFor([&] { return heard(N::didTerminate, pid) == 1; }));
    EXPECT_FALSE(running(pid));
    EXPECT_EQ(heard(N::didLaunch, pid), 1);
}

// An application that closed its last window and runs on (a tray app) is told terminated when its
// process exits, which the kernel tells: nothing wakes the program meanwhile (it polled twice a
// second until the exit).
TEST_F(LinuxRunningApplicationsTest, AnAppWithoutWindowsIsHeardExitingWithNothingPollingForIt) {
    startBackend();
    auto& tray = startClient({"--class", "tray.Tray"});
    const Pid pid = static_cast<Pid>(tray.process->pid());
    ASSERT_TRUE(waitFor([&] { return running(pid) && running(pid)->activationPolicy == ActivationPolicy::regular; }));
    ASSERT_TRUE(tray.process->writeLine("withdraw"));
    ASSERT_TRUE(waitFor([&] { return running(pid) && running(pid)->activationPolicy == ActivationPolicy::accessory; }));
    EXPECT_EQ(counting_->repeating, 0);
    ASSERT_TRUE(tray.process->writeLine("close"));
    EXPECT_TRUE(waitFor([&] { return heard(N::didTerminate, pid) == 1; }));
}

TEST_F(LinuxRunningApplicationsTest, ALaunchWithActivationActivatesItsFirstWindowAndIsTold) {
    startBackend();
    focusForeignWindow();
    auto answer = open("org.tessane.Launched", /*activates=*/true);
    ASSERT_TRUE(answer.app);
    const Pid pid = answer.app->pid;
    ASSERT_TRUE(waitFor([&] { return !windowsOf(pid).empty() && activeWindow() == windowsOf(pid)[0]; }));
    ASSERT_TRUE(waitFor([&] { return heard(N::didActivate, pid) == 1; }));
    EXPECT_EQ(running_->frontmostApplication()->pid, pid);

    // Opening it again asks no second process: the running one answers.
    auto again = open("org.tessane.Launched", /*activates=*/false);
    ASSERT_TRUE(again.app);
    EXPECT_EQ(again.app->pid, pid);
    EXPECT_EQ(running_->runningApplicationsWithBundleIdentifier("org.tessane.Launched").size(), 1u);
}

TEST_F(LinuxRunningApplicationsTest, ForeignClientsAreGroupedByTheirDesktopEntries) {
    auto& before = startClient({"--class", "beta.BetaApp", "--windows", "2"});  // StartupWMClass
    // Started after us: told as launched, matched by WM_CLASS against the id, ignoring case.
    startBackend();  // a backend that sees `before` already running
    auto& after = startClient({"--class", "Gamma.Gamma"});
    auto& unknown = startClient({"--class", "nothing.Nothing"});
    const Pid beta = before.process->pid(), gamma = after.process->pid(), other = unknown.process->pid();
    ASSERT_TRUE(waitFor([&] { return heard(N::didLaunch, gamma) == 1 && heard(N::didLaunch, other) == 1; }));

    EXPECT_EQ(heard(N::didLaunch, beta), 0);  // it was there before us
    auto list = running_->runningApplications();
    auto find = [&](Pid pid) { return std::find_if(list.begin(), list.end(), [&](auto& a) { return a.pid == pid; }); };
    ASSERT_NE(find(beta), list.end());
    ASSERT_NE(find(gamma), list.end());
    ASSERT_NE(find(other), list.end());
    EXPECT_LT(find(beta), find(gamma));  // the order we saw them in
    EXPECT_LT(find(gamma), find(other));
    EXPECT_EQ(find(beta)->bundleIdentifier, "org.tessane.Beta");
    EXPECT_EQ(find(beta)->localizedName, "Beta");
    EXPECT_EQ(find(gamma)->bundleIdentifier, "gamma");
    EXPECT_EQ(find(other)->bundleIdentifier, std::nullopt);
    EXPECT_EQ(find(other)->localizedName, "Nothing");  // its WM_CLASS class

    // Activating an application brings its front-most window forward and tells who it was
    // (from another one's: the window manager may have given Beta the focus when it came).
    x_->requestActivate(after.windows[0]);
    ASSERT_TRUE(waitFor([&] { return activeWindow() == after.windows[0]; }));
    ASSERT_TRUE(running_->activate(beta));
    ASSERT_TRUE(waitFor([&] { return heard(N::didActivate, beta) == 1; }));
    EXPECT_EQ(ax_->windowPid(activeWindow()), beta);

    // Two windows: hiding iconifies both; a window closing leaves the application running.
    ASSERT_TRUE(running_->hide(beta));
    ASSERT_TRUE(waitFor([&] { return allMinimized(beta); }));
    for (XWindowId w : before.windows) EXPECT_EQ(ax_->isMinimized(w), true);
}

TEST_F(LinuxRunningApplicationsTest, EachKindOfEvidenceNamesTheApplication) {
    const std::string client = TESSANE_X11_CLIENT;
    writeEntry("org.tessane.Pair", "Name=Pair\nExec=" + client + " --title Pair %U\n");
    writeEntry("org.tessane.Pair-settings", "Name=Pair Settings\nExec=" + client + " --title Pair --preferences\n");
    writeEntry("org.tessane.Toolkit", "Name=Toolkit\nExec=toolkit-not-installed\n");
    writeEntry("org.tessane.Plasma", "Name=Plasma\nExec=plasma-not-installed\n");
    writeEntry("org.tessane.Reverse", "Name=Reverse\nExec=reverse-not-installed\n");
    // A launcher that hands over: the program it starts in the background carries the launch's
    // startup id (on its client leader, as GTK puts it), and nothing else names the entry.
    writeEntry("org.tessane.Handed", "Name=Handed\nExec=sh -c \"" + client +
                                         " --class x.Unrelated --title Handed --startup-id-on-leader &\"\n");
    startBackend();
    const Pid pair = startClient({"--class", "x.Unrelated", "--title", "Pair"}).process->pid();
    const Pid toolkit = startClient({"--class", "x.Unrelated", "--gtk-app-id", "org.tessane.Toolkit"}).process->pid();
    const Pid plasma = startClient({"--class", "x.Unrelated", "--kde-desktop-file", "org.tessane.Plasma.desktop"}).process->pid();
    const Pid reverse = startClient({"--class", "reverse.REVERSE"}).process->pid();
    auto id = [&](Pid pid) {
        waitFor([&] { return running(pid).has_value(); });
        auto app = running(pid);
        return app ? app->bundleIdentifier : std::optional<std::string>("not running");
    };
    EXPECT_EQ(id(pair), "org.tessane.Pair");  // the program's entry, not its settings entry
    EXPECT_EQ(id(toolkit), "org.tessane.Toolkit");
    EXPECT_EQ(id(plasma), "org.tessane.Plasma");
    EXPECT_EQ(id(reverse), "org.tessane.Reverse");

    auto answer = open("org.tessane.Handed", /*activates=*/false);
    ASSERT_TRUE(answer.app) << (answer.error ? answer.error->localizedDescription : "no answer");
    std::optional<RunningApplication> handed;
    ASSERT_TRUE(waitFor([&] {
        for (auto& a : running_->runningApplicationsWithBundleIdentifier("org.tessane.Handed"))
            if (a.pid != answer.app->pid) handed = a;
        return handed.has_value();
    }));
    launched_.push_back(handed->pid);
    EXPECT_TRUE(handed->isFinishedLaunching);
    EXPECT_EQ(handed->localizedName, "Handed");
}

// A later Tessane (the one before was killed) still knows what it hid: hide() marks the windows.
// An application the user minimized is not hidden.
TEST_F(LinuxRunningApplicationsTest, ALaterRunKnowsWhatTheEarlierOneHidButNotWhatTheUserMinimized) {
    auto& hidden = startClient({"--class", "beta.BetaApp", "--windows", "2"});
    auto& minimized = startClient({"--class", "gamma.Gamma"});
    startBackend();
    const Pid beta = hidden.process->pid(), gamma = minimized.process->pid();
    ASSERT_TRUE(waitFor([&] { return running(beta) && running(gamma); }));
    ASSERT_TRUE(running_->hide(beta));
    ASSERT_TRUE(waitFor([&] { return allMinimized(beta); }));
    ASSERT_TRUE(x_->requestIconify(minimized.windows.at(0)).ok());
    ASSERT_TRUE(waitFor([&] { return ax_->isMinimized(minimized.windows.at(0)) == true; }));

    subscriptions_.clear();
    running_.reset();
    startBackend();
    ASSERT_TRUE(waitFor([&] { return running(beta) && running(gamma); }));
    EXPECT_TRUE(running(beta)->isHidden);
    EXPECT_FALSE(running(gamma)->isHidden);

    // Unhiding takes the mark away: the run after that owes nothing.
    ASSERT_TRUE(running_->unhide(beta));
    ASSERT_TRUE(waitFor([&] { return !running(beta)->isHidden; }));
    for (XWindowId w : hidden.windows) EXPECT_FALSE(x_->cardinals(w, "_TESSANE_HIDDEN"));
}

TEST_F(LinuxRunningApplicationsTest, AnEntryWhoseProgramIsMissingAnswersWithTheReason) {
    startBackend();
    auto answer = open("org.tessane.Missing", true);
    EXPECT_FALSE(answer.app);
    ASSERT_TRUE(answer.error);
    EXPECT_NE(answer.error->localizedDescription.find("tessane-missing"), std::string::npos);

    auto notAnApp = std::make_shared<Answer>();
    running_->openApplication(root_ / "nothing.desktop", {}, [notAnApp](auto app, auto error) {
        notAnApp->done = true;
        notAnApp->app = app;
        notAnApp->error = error;
    });
    ASSERT_TRUE(waitFor([&] { return notAnApp->done; }));
    EXPECT_FALSE(notAnApp->app);
    EXPECT_TRUE(notAnApp->error);
    EXPECT_TRUE(running_->runningApplicationsWithBundleIdentifier("org.tessane.Missing").empty());
}

// Documents reach a program as arguments of their own, never as shell text or as the program:
// a relative name that looks like an option arrives as an absolute path, a URL as it is, and an
// entry whose Exec line would glue a document to a quoted shell string is refused and logged.
TEST_F(LinuxRunningApplicationsTest, DocumentsAreHandedOverSafelyAndUnsafeExecLinesAreRefused) {
    const fs::path received = root_ / "received", injected = root_ / "injected";
    writeEntry("org.tessane.Args", R"(Name=Args
Exec=sh -c "printf \"%%s|\" \"\$@\" > )" + received.string() + R"(" sh %U
)");
    writeEntry("org.tessane.Glued", "Name=Glued\nExec=sh -c \"printf \"%F\n");
    startBackend();
    auto openDocuments = [&](const std::string& id, std::vector<fs::path> documents) {
        auto answer = std::make_shared<Answer>();
        running_->openDocuments(documents, entry(id), {false}, [answer](auto app, auto error) {
            answer->done = true;
            answer->app = app;
            answer->error = error;
        });
        EXPECT_TRUE(waitFor([&] { return answer->done; }));
        if (answer->app) launched_.push_back(answer->app->pid);
        return *answer;
    };

    const auto args = openDocuments("org.tessane.Args", {"-rf", "https://example.org/a b?c"});
    ASSERT_TRUE(args.app) << (args.error ? args.error->localizedDescription : "");
    ASSERT_TRUE(waitFor([&] { return fs::exists(received) && fs::file_size(received) > 0; }));
    std::ifstream in(received);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, (fs::current_path() / "-rf").string() + "|https://example.org/a b?c|");

    const auto glued = openDocuments("org.tessane.Glued", {"x; touch " + injected.string()});
    EXPECT_FALSE(glued.app);
    ASSERT_TRUE(glued.error);
    EXPECT_NE(glued.error->localizedDescription.find("a field code sits against a quoted argument"), std::string::npos);
    EXPECT_NE(std::find(logLines_.begin(), logLines_.end(),
                        "[Tessane] Glued: the Exec line of " + entry("org.tessane.Glued").string() +
                            " is refused: a field code sits against a quoted argument."),
              logLines_.end());
    EXPECT_FALSE(fs::exists(injected));
    EXPECT_TRUE(running_->runningApplicationsWithBundleIdentifier("org.tessane.Glued").empty());
}

}  // namespace
}  // namespace tessane::x11test
