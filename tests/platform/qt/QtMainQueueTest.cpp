#include "platform/qt/HeapRelease.h"
#include "platform/qt/QtMainQueue.h"
#include "support/Waiting.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

#include <string>
#include <vector>

namespace tessane::qt_backend {
namespace {

class QtMainQueueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) app_ = new QCoreApplication(argc, argv);
    }
    static inline QCoreApplication* app_ = nullptr;
    QtMainQueue queue_;
};

TEST_F(QtMainQueueTest, RunsWorkInDueOrderAndFifoAtEqualTimes) {
    std::vector<std::string> order;
    queue_.postAfter(0.03, [&] { order.push_back("late"); });
    queue_.postAfter(0.01, [&] { order.push_back("a"); });
    queue_.postAfter(0.01, [&] { order.push_back("b"); });
    queue_.post([&] { order.push_back("now"); });
    ASSERT_TRUE(queue_.runUntil([&] { return order.size() == 4; }, 2.0));
    EXPECT_EQ(order, (std::vector<std::string>{"now", "a", "b", "late"}));
}

TEST_F(QtMainQueueTest, CancelledWorkNeverRunsAndWorkPostedWhileRunningRunsLater) {
    bool cancelledRan = false;
    int nested = 0;
    auto item = queue_.postAfter(0.01, [&] { cancelledRan = true; });
    item->cancel();
    EXPECT_TRUE(item->isCancelled());
    queue_.post([&] { queue_.post([&] { ++nested; }); });
    bool done = false;
    queue_.postAfter(0.03, [&] { done = true; });
    ASSERT_TRUE(queue_.runUntil([&] { return done; }, 2.0));
    EXPECT_FALSE(cancelledRan);
    EXPECT_EQ(nested, 1);
}

// A quit: the rest of the batch being run, everything waiting and anything posted afterwards
// never runs, repeating timers included.
TEST_F(QtMainQueueTest, DiscardingPendingWorkStopsTheRunningBatchAndEverythingAfter) {
    std::vector<std::string> ran;
    queue_.post([&] {
        ran.push_back("first");
        queue_.discardPending();
        queue_.post([&] { ran.push_back("posted after"); });
    });
    queue_.post([&] { ran.push_back("same batch"); });
    queue_.postAfter(0.01, [&] { ran.push_back("later"); });
    auto timer = queue_.scheduleRepeating(0.01, [&] { ran.push_back("tick"); });
    // Until a timer of Qt's own due after all of them has fired: the loop fires timers in order.
    bool past = false;
    QTimer::singleShot(50, Qt::PreciseTimer, [&] { past = true; });
    queue_.runUntil([&] { return past; }, 30);
    EXPECT_EQ(ran, std::vector<std::string>{"first"});
}

TEST_F(QtMainQueueTest, WorkDueInAYearWaitsWithoutHoldingUpWhatComesSooner) {
    bool yearLater = false;
    bool soon = false;
    queue_.postAfter(365.0 * 24 * 3600, [&] { yearLater = true; });
    queue_.postAfter(0.02, [&] { soon = true; });
    ASSERT_TRUE(queue_.runUntil([&] { return soon; }, 2.0));
    EXPECT_FALSE(yearLater);
}

TEST_F(QtMainQueueTest, RepeatingTimerTicksUntilInvalidated) {
    int ticks = 0;
    std::shared_ptr<RepeatingTimer> timer;
    timer = queue_.scheduleRepeating(0.005, [&] {
        if (++ticks == 3) timer->invalidate();
    });
    ASSERT_TRUE(queue_.runUntil([&] { return !timer->isValid(); }, 2.0));
    bool later = false;
    queue_.postAfter(0.03, [&] { later = true; });
    ASSERT_TRUE(queue_.runUntil([&] { return later; }, 2.0));
    EXPECT_EQ(ticks, 3);
}

TEST_F(QtMainQueueTest, WatchedDescriptorsAndTheBeforeWaitingHookRunOnTheLoop) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::string received;
    int hooks = 0;
    {
        auto watch = queue_.watchReadable(fds[0], [&] {
            char buffer[16];
            ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n > 0) received.append(buffer, static_cast<size_t>(n));
        });
        auto hook = queue_.beforeWaiting([&] { ++hooks; });
        ASSERT_EQ(write(fds[1], "x11", 3), 3);
        ASSERT_TRUE(queue_.runUntil([&] { return received == "x11"; }, 2.0));
        EXPECT_GT(hooks, 0);
    }
    // After the subscriptions end nothing is called any more.
    const int hooksBefore = hooks;
    ASSERT_EQ(write(fds[1], "more", 4), 4);
    bool done = false;
    queue_.postAfter(0.03, [&] { done = true; });
    queue_.runUntil([&] { return done; }, 2.0);
    EXPECT_EQ(received, "x11");
    EXPECT_EQ(hooks, hooksBefore);
    close(fds[0]);
    close(fds[1]);
}

// A piece of work that opens a nested loop (a modal alert) holds up nothing else: work posted
// before and during it runs inside that loop, and a repeating timer never runs inside its own tick.
TEST_F(QtMainQueueTest, WorkThatNestsALoopLetsTheRestOfTheQueueRunMeanwhile) {
    std::vector<std::string> order;
    int depth = 0, deepest = 0, ticks = 0;
    std::shared_ptr<RepeatingTimer> timer = queue_.scheduleRepeating(0.005, [&] {
        deepest = std::max(deepest, ++depth);
        if (++ticks == 1) queue_.runUntil([&] { return order.size() >= 2; }, 2.0);
        --depth;
    });
    queue_.postAfter(0.02, [&] {
        order.push_back("modal");
        queue_.post([&] { order.push_back("posted meanwhile"); });
        queue_.runUntil([&] { return order.size() == 3; }, 2.0);
        order.push_back("modal done");
    });
    queue_.postAfter(0.04, [&] { order.push_back("due meanwhile"); });
    ASSERT_TRUE(queue_.runUntil([&] { return order.size() == 4 && ticks >= 3; }, 3.0)) << order.size();
    timer->invalidate();
    EXPECT_EQ(order, (std::vector<std::string>{"modal", "posted meanwhile", "due meanwhile", "modal done"}));
    EXPECT_EQ(deepest, 1);
}

// The heap's release rides on the loop going to sleep: once after work, when it has been quiet.
TEST_F(QtMainQueueTest, TheHeapIsReleasedOnceAfterWorkWhenQuietAndAnIdleLoopIsNeverWokenForIt) {
    using namespace std::chrono_literals;
    // Each of the first two releases posts a mark due a little after the release's quiet: a
    // release whose own turn armed another would have that one due first, and the queue runs its
    // work in the order it falls due. The mark is work: it arms the next release.
    // The loop is not polled meanwhile (each wake would be work): the second mark ends it.
    QEventLoop loop;
    std::vector<int> releasesAtMarks;
    int releases = 0;
    const HeapRelease release(queue_, 200ms, [&] {
        if (++releases <= 2)
            queue_.postAfter(0.25, [&] {
                releasesAtMarks.push_back(releases);
                if (releasesAtMarks.size() == 2) loop.quit();
            });
    });
    // Work for a while, a turn every 20 ms: the release waits for the quiet after the last.
    QTimer work;
    int turns = 0;
    QObject::connect(&work, &QTimer::timeout, [&] {
        if (++turns == 20) work.stop();
    });
    work.start(20);
    EXPECT_TRUE(queue_.runUntil([&] { return !work.isActive(); }, 10.0));
    EXPECT_EQ(releases, 0);
    // One release, and its own turn is not work: nothing more is due before its mark; the mark's
    // turn arms it again.
    QTimer::singleShot(testing::kAnswer.limit, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(releasesAtMarks, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace tessane::qt_backend
