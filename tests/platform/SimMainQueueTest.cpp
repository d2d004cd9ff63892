#include "platform/sim/SimMainQueue.h"

#include <gtest/gtest.h>

#include <string>

using tessane::sim::SimMainQueue;

TEST(SimMainQueue, RunsDueItemsInDueOrderFifoAtEqualTimes) {
    SimMainQueue q;
    std::string order;
    q.postAfter(0.5, [&] { order += "c"; });
    q.postAfter(0.2, [&] { order += "a"; });
    q.postAfter(0.2, [&] { order += "b"; });
    q.post([&] { order += "0"; });
    q.advance(0.3);
    EXPECT_EQ(order, "0ab");
    q.advance(0.2);
    EXPECT_EQ(order, "0abc");
}

TEST(SimMainQueue, ClockStandsAtEachItemsDueTimeWhileItRuns) {
    SimMainQueue q;
    const double start = q.now();
    double seenAt = 0;
    q.postAfter(0.8, [&] { seenAt = q.now(); });
    q.advance(2);
    EXPECT_NEAR(seenAt - start, 0.8, 1e-6);
    EXPECT_NEAR(q.now() - start, 2, 1e-6);
}

TEST(SimMainQueue, WorkPostedWhileRunningRunsInTheSameAdvanceWhenDue) {
    SimMainQueue q;
    int runs = 0;
    q.postAfter(0.2, [&] {
        ++runs;
        q.postAfter(0.2, [&] { ++runs; });
        q.postAfter(5, [&] { ++runs; });
    });
    q.advance(1);
    EXPECT_EQ(runs, 2);
}

TEST(SimMainQueue, CancelledItemsNeverRun) {
    SimMainQueue q;
    int runs = 0;
    auto item = q.postAfter(1, [&] { ++runs; });
    auto other = q.postAfter(1, [&] { ++runs; });
    q.postAfter(0.5, [&] { other->cancel(); });  // cancelled by earlier work in the same advance
    item->cancel();
    item->cancel();
    q.advance(2);
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(item->isCancelled());
    EXPECT_EQ(q.pendingCount(), 0u);
}

TEST(SimMainQueue, RepeatingTimerTicksUntilInvalidated) {
    SimMainQueue q;
    int ticks = 0;
    std::shared_ptr<tessane::RepeatingTimer> timer;
    timer = q.scheduleRepeating(0.2, [&] {
        if (++ticks == 3) timer->invalidate();
    });
    q.advance(0.1);
    EXPECT_EQ(ticks, 0);
    q.advance(10);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer->isValid());
}

TEST(SimMainQueue, RunUntilIdleStopsAtItsLimitWhenATimerRuns) {
    SimMainQueue q;
    int runs = 0;
    q.postAfter(3, [&] { ++runs; });
    EXPECT_TRUE(q.runUntilIdle());
    EXPECT_EQ(runs, 1);
    auto timer = q.scheduleRepeating(1, [] {});
    EXPECT_FALSE(q.runUntilIdle(5));
}
