// What other clients may write about themselves and about the desktop: the root's client list
// (any client can replace it, with any number of made-up ids) and the pid a window claims.
#include "x11/LinuxBackendTest.h"

#include <unistd.h>

#include <algorithm>
#include <sstream>

namespace tessane::x11test {
namespace {

using linux_backend::XWindowId;
using N = RunningApplications::Notification;

// The window and running-application backends on the Qt loop; no desktop entries.
class ClientListTrustTest : public LinuxBackendTest {
protected:
    void SetUp() override {
        LinuxBackendTest::SetUp();
        if (HasFatalFailure()) return;
        startApplications();
        for (auto n : {N::didLaunch, N::didTerminate})
            subscriptions_.push_back(running_->observe(n, [this, n](const RunningApplication& a) { heard_.push_back({n, a.pid}); }));
    }
    void TearDown() override {
        subscriptions_.clear();
        LinuxBackendTest::TearDown();
    }
    int heard(N n, Pid pid) { return static_cast<int>(std::count(heard_.begin(), heard_.end(), std::pair{n, pid})); }
    bool running(Pid pid) { return running_->runningApplication(pid).has_value(); }

    // Waits until the window manager lists `window`: a hostile list keeps what was listed before
    // it, and a manager that lists a window after the hostile client wrote its list writes its
    // own list again.
    bool listedByTheManager(XWindowId window) {
        return waitFor([&] {
            const auto listed = x_->windowList(x_->root(), "_NET_CLIENT_LIST");
            return listed && std::find(listed->begin(), listed->end(), window) != listed->end();
        });
    }

    // Has `client` replace the client list (or with "stack", the stacking list) with `count`
    // made-up ids around the ids listed now, and last a new unmapped window of its own: a reader
    // that has taken that window in has been through every slice of the list. Answers that window
    // and one of the made-up ids (in the client's own id range, so that its X-Resource answer
    // would be the client's pid).
    std::pair<XWindowId, XWindowId> listMadeUpIds(Client& client, int count, const std::string& command = "list") {
        client.process->writeLine(command + " " + std::to_string(count));
        auto line = client.process->waitForLine("listed ", kAnswer.limit);
        EXPECT_TRUE(line);
        std::istringstream in(line.value_or(""));
        std::string word;
        XWindowId own = 0, madeUp = 0;
        in >> word >> std::hex >> own >> madeUp;
        return {own, madeUp};
    }

    std::vector<Subscription> subscriptions_;
    std::vector<std::pair<N, Pid>> heard_;
};

TEST_F(ClientListTrustTest, AHostileClientListIsTakenInAndTheRealWindowsInItAreStillFound) {
    // The dock's strip goes from what the manager's own panels leave (screen coordinates, y up).
    const Rect before = screens_->screens().at(0).visibleFrame;
    const Rect withDock(before.minX(), before.minY(), before.width(), std::min(before.maxY(), 1040.0) - before.minY());
    auto& dock = startClient({"--class", "dock.Dock", "--strut-top", "40", "--size", "1920x40", "--pos", "0,0"});
    auto& other = startClient({"--class", "other.Other"});
    auto& hostile = startClient({"--class", "hostile.Hostile", "--windows", "0"});
    const Pid otherPid = other.process->pid(), hostilePid = hostile.process->pid();
    ASSERT_TRUE(waitFor([&] { return running(otherPid); }));
    ASSERT_TRUE(waitFor([&] { return screens_->screens().at(0).visibleFrame == withDock; }));
    EXPECT_FALSE(running(hostilePid));  // no window yet
    ASSERT_TRUE(listedByTheManager(other.windows.at(0)));

    // An observer of the hostile process hears of the windows it gets.
    std::vector<XWindowId> created;
    auto observer = ax_->createObserver(hostilePid, [&](const AXElement& e, const std::string& name) {
        if (name == ax::kWindowCreated) created.push_back(static_cast<XWindowId>(e.handle()));
    });
    ASSERT_EQ(observer.error, AXError::success);
    ASSERT_EQ(observer.observer->addNotification(ax_->applicationElement(hostilePid), ax::kWindowCreated),
              AXError::success);

    const auto [own, madeUp] = listMadeUpIds(hostile, 6000);
    // Its one real window, after thousands of ids, is found and belongs to it; the made-up ids
    // in its own range name no window and are skipped, though the server would name its pid.
    // The window is the list's last id: once it is told created, every slice before it has been
    // taken in, and what those told came first.
    ASSERT_TRUE(waitFor([&] { return heard(N::didLaunch, hostilePid) == 1 && !created.empty(); }));
    EXPECT_EQ(ax_->windowPid(own), hostilePid);
    EXPECT_EQ(ax_->windowPid(madeUp), std::nullopt);
    EXPECT_EQ(ax_->pid(AXElement::fromHandle(madeUp)), std::nullopt);
    EXPECT_EQ(created, std::vector<XWindowId>{own});
    // The windows listed before are still there: nothing was told gone, the dock still counts.
    EXPECT_TRUE(running(otherPid));
    EXPECT_EQ(heard(N::didTerminate, otherPid), 0);
    EXPECT_EQ(screens_->screens().at(0).visibleFrame, withDock);

    // A further change: the window manager lists its own clients again, and a new client is
    // found; the hostile process, still running, is not told gone.
    auto& late = startClient({"--class", "late.Late"});
    const Pid latePid = late.process->pid();
    ASSERT_TRUE(waitFor([&] { return running(latePid); }));
    EXPECT_TRUE(running(otherPid));
    EXPECT_EQ(heard(N::didTerminate, hostilePid), 0);
    EXPECT_EQ(ax_->windowPid(madeUp), std::nullopt);
    EXPECT_EQ(screens_->screens().at(0).visibleFrame, withDock);
    (void)dock;
}

TEST_F(ClientListTrustTest, AtTheStartALongHostileListIsTakenInSlicesAndNothingIsToldLaunched) {
    auto& other = startClient({"--class", "other.Other"});
    auto& hostile = startClient({"--class", "hostile.Hostile", "--windows", "0"});
    const Pid otherPid = other.process->pid(), hostilePid = hostile.process->pid();
    ASSERT_TRUE(listedByTheManager(other.windows.at(0)));
    const auto own = listMadeUpIds(hostile, 3 * static_cast<int>(linux_backend::ClientListTracker::kSlice)).first;
    x_->sync();
    ASSERT_TRUE(waitFor([&] { return ax_->windowPid(own) == hostilePid; }));

    linux_backend::LinuxRunningApplications started(*x_, *ax_, *catalog_, *queue_);
    std::vector<Pid> launched;
    auto told = started.observe(N::didLaunch, [&](const RunningApplication& a) { launched.push_back(a.pid); });
    // The hostile process's one window is the list's last id: once it is known, every slice has
    // been taken in, and a notification any of them posted comes before a mark posted now.
    ASSERT_TRUE(waitFor([&] { return started.runningApplication(hostilePid) && started.runningApplication(otherPid); }));
    bool marked = false;
    queue_->post([&] { marked = true; });
    ASSERT_TRUE(waitFor([&] { return marked; }));
    EXPECT_TRUE(launched.empty());
}

TEST_F(ClientListTrustTest, AHostileStackingListLendsNoMadeUpWindowsToAnyProcess) {
    auto& other = startClient({"--class", "other.Other"});
    auto& hostile = startClient({"--class", "hostile.Hostile", "--windows", "0"});
    const Pid otherPid = other.process->pid(), hostilePid = hostile.process->pid();
    // Once the manager has taken the other client in, it has no reason to write its own list over
    // the hostile one.
    ASSERT_TRUE(listedByTheManager(other.windows.at(0)));
    const auto [own, madeUp] = listMadeUpIds(hostile, 6000, "stack");
    x_->sync();
    ASSERT_TRUE(waitFor([&] {
        const auto front = ax_->clientsFrontToBack();
        return std::find(front.begin(), front.end(), own) != front.end();
    }));

    auto windowsOf = [&](Pid pid) {
        std::vector<XWindowId> out;
        auto v = ax_->copyAttribute(ax_->applicationElement(pid), ax::kWindows);
        if (v.ok() && v.value.asArray())
            for (auto& e : *v.value.asArray()) out.push_back(static_cast<XWindowId>(e.asElement()->handle()));
        return out;
    };
    // For the made-up ids in the hostile client's own range, the server would name its process.
    EXPECT_EQ(windowsOf(hostilePid), std::vector<XWindowId>{own});
    EXPECT_EQ(windowsOf(otherPid), other.windows);
    EXPECT_EQ(ax_->windowPid(madeUp), std::nullopt);
    EXPECT_EQ(windowsOf(hostilePid), std::vector<XWindowId>{own});  // asked again, from what is kept

    // The window list reads the same stacking list: the real windows only, with their owners.
    const linux_backend::LinuxWindowList list(*x_, *ax_);
    const auto entries = list.windows(WindowList::Option::allWindows);
    ASSERT_TRUE(entries);
    auto listed = [&](XWindowId w) {
        return std::find_if(entries->begin(), entries->end(), [&](const WindowListEntry& e) { return e.number == w; });
    };
    EXPECT_EQ(listed(madeUp), entries->end());
    ASSERT_NE(listed(own), entries->end());
    EXPECT_EQ(listed(own)->ownerPid, hostilePid);
    for (XWindowId w : other.windows) {
        ASSERT_NE(listed(w), entries->end());
        EXPECT_EQ(listed(w)->ownerPid, otherPid);
    }
    EXPECT_LT(entries->size(), 100u);
}

TEST_F(ClientListTrustTest, AWindowClaimingAnotherProcesssPidBelongsToItsOwnProcess) {
    auto& claimsInit = startClient({"--class", "claims.Init", "--claim-pid", "1"});
    auto& claimsUs = startClient({"--class", "claims.Us", "--claim-pid", std::to_string(::getpid())});
    const Pid initClaimer = claimsInit.process->pid(), usClaimer = claimsUs.process->pid();
    ASSERT_TRUE(waitFor([&] { return running(initClaimer) && running(usClaimer); }));

    const XWindowId w = claimsInit.windows[0];
    EXPECT_EQ(x_->cardinals(w, "_NET_WM_PID"), std::vector<long>{1});
    EXPECT_EQ(ax_->windowPid(w), initClaimer);
    EXPECT_EQ(ax_->windowPid(claimsUs.windows[0]), usClaimer);
    EXPECT_FALSE(running(1));
    EXPECT_FALSE(running(::getpid()));
    // The application elements of the claimed processes own no windows.
    auto windowsOf = [&](Pid pid) {
        auto v = ax_->copyAttribute(ax_->applicationElement(pid), ax::kWindows);
        return v.ok() && v.value.asArray() ? v.value.asArray()->size() : size_t{0};
    };
    EXPECT_EQ(windowsOf(initClaimer), size_t{1});
    EXPECT_EQ(windowsOf(1), size_t{0});
    EXPECT_EQ(windowsOf(::getpid()), size_t{0});
}

}  // namespace
}  // namespace tessane::x11test
