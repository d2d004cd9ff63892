#include "platform/sim/SimApplications.h"
#include "platform/sim/SimMainQueue.h"
#include "platform/sim/SimWindowServer.h"

#include <gtest/gtest.h>

namespace tessane::sim {
namespace {

using N = RunningApplications::Notification;

class SimRunningApplicationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        apps.installApp("/Applications/Notes.app", {"org.example.Notes", "Notes", "Notes"});
        for (auto n : {N::didLaunch, N::didActivate, N::didTerminate})
            subs.push_back(apps.observe(n, [this, n](const RunningApplication& a) {
                events.push_back(name(n) + ":" + a.localizedName.value_or("?"));
            }));
    }
    static std::string name(N n) {
        return n == N::didLaunch ? "launch" : n == N::didActivate ? "activate" : "terminate";
    }
    Pid add(std::string name, ActivationPolicy policy = ActivationPolicy::regular) {
        return apps.addRunningApp({.bundleIdentifier = "org.example." + name, .name = name,
                                   .activationPolicy = policy})
            .pid();
    }

    SimMainQueue queue;
    SimWindowServer windows{queue};
    SimApplications apps{queue, windows};
    std::vector<Subscription> subs;
    std::vector<std::string> events;
};

TEST_F(SimRunningApplicationsTest, ListsInLaunchOrderIncludingBareWindowServerApps) {
    const Pid a = add("A");
    windows.addApp(5, "Bare");
    const Pid b = add("B");
    std::vector<Pid> pids;
    for (auto& app : apps.runningApplications()) pids.push_back(app.pid);
    EXPECT_EQ(pids, (std::vector<Pid>{a, b, 5}));
    EXPECT_EQ(apps.runningApplication(5)->bundleIdentifier, std::nullopt);
    EXPECT_EQ(apps.runningApplicationsWithBundleIdentifier("org.example.B").size(), 1u);
}

TEST_F(SimRunningApplicationsTest, HideUnhideActivateAndAnAppThatIgnoresHide) {
    const Pid a = add("A");
    const Pid b = add("B");
    EXPECT_TRUE(apps.activate(a));
    EXPECT_TRUE(apps.activate(b));
    queue.runPending();
    EXPECT_EQ(events, (std::vector<std::string>{"activate:A", "activate:B"}));

    EXPECT_TRUE(apps.hide(b));  // the frontmost hides: the one before it comes forward
    EXPECT_TRUE(apps.runningApplication(b)->isHidden);
    EXPECT_EQ(apps.frontmostApplication()->pid, a);
    queue.runPending();
    EXPECT_EQ(events.back(), "activate:A");

    EXPECT_TRUE(apps.activate(b));  // activating shows it again
    EXPECT_FALSE(apps.runningApplication(b)->isHidden);

    apps.setIgnoresHide(a, true);
    EXPECT_TRUE(apps.hide(a));  // the request is taken...
    EXPECT_FALSE(apps.runningApplication(a)->isHidden);  // ...and ignored

    EXPECT_TRUE(apps.hide(b));
    EXPECT_TRUE(apps.unhide(b));
    EXPECT_FALSE(apps.runningApplication(b)->isHidden);
    EXPECT_FALSE(apps.hide(4242));
}

TEST_F(SimRunningApplicationsTest, TerminateQuitsOnALaterTurn) {
    const Pid a = add("A");
    windows.app(a)->addWindow();
    EXPECT_TRUE(apps.terminate(a));
    EXPECT_TRUE(apps.runningApplication(a));  // still there while the caller waits
    queue.runPending();
    EXPECT_FALSE(apps.runningApplication(a));
    EXPECT_EQ(windows.app(a), nullptr);
    EXPECT_EQ(events, std::vector<std::string>{"terminate:A"});
    EXPECT_FALSE(apps.terminate(a));
}

TEST_F(SimRunningApplicationsTest, LaunchRunsWhileLaunchingThenFinishesAndAnswersOnce) {
    std::vector<std::optional<RunningApplication>> answers;
    apps.openApplication("/Applications/Notes.app", {.activates = true},
                         [&](std::optional<RunningApplication> app, std::optional<SystemError>) {
                             answers.push_back(app);
                         });
    auto running = apps.runningApplicationsWithBundleIdentifier("org.example.Notes");
    ASSERT_EQ(running.size(), 1u);
    EXPECT_FALSE(running[0].isFinishedLaunching);
    EXPECT_EQ(running[0].bundlePath, std::filesystem::path("/Applications/Notes.app"));
    queue.advance(0.5);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(answers[0]->isFinishedLaunching);
    EXPECT_EQ(events, (std::vector<std::string>{"launch:Notes", "activate:Notes"}));
    EXPECT_EQ(windows.app(answers[0]->pid)->windows().size(), 1u);
}

TEST_F(SimRunningApplicationsTest, QuitWhileLaunchingAnswersWithNeitherAppNorError) {
    int answers = 0;
    apps.openApplication("/Applications/Notes.app", {.activates = false},
                         [&](std::optional<RunningApplication> app, std::optional<SystemError> e) {
                             ++answers;
                             EXPECT_FALSE(app);
                             EXPECT_FALSE(e);
                         });
    apps.quit(apps.runningApplications()[0].pid);
    queue.advance(1);
    EXPECT_EQ(answers, 1);
}

TEST_F(SimRunningApplicationsTest, PathWithoutAnApplicationIsAnError) {
    std::optional<SystemError> error;
    apps.openApplication("/Applications/Missing.app", {},
                         [&](std::optional<RunningApplication>, std::optional<SystemError> e) {
                             error = e;
                         });
    queue.runPending();
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->localizedDescription.empty());
    EXPECT_TRUE(apps.runningApplications().empty());
}

}  // namespace
}  // namespace tessane::sim
