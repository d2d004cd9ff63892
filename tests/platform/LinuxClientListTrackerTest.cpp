#include "platform/linux/x11/ClientListTracker.h"
#include "platform/linux/x11/WindowIdSet.h"

#include "platform/sim/SimMainQueue.h"

#include <gtest/gtest.h>

#include <memory>

#include <algorithm>

namespace tessane::linux_backend {
namespace {

using Ids = std::vector<XWindowId>;

Ids sorted(Ids ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
}

TEST(LinuxWindowIdSetTest, HoldsEachIdOnceThroughGrowthIncludingZeroAndIdsOfOneClient) {
    WindowIdSet set;
    EXPECT_FALSE(set.contains(0));
    EXPECT_FALSE(set.contains(42));
    // Ids of one client differ only in their low bits; of many clients only in their high bits.
    Ids ids;
    for (XWindowId i = 1; i <= 5000; ++i) ids.push_back(0x1E00000 | i);
    for (XWindowId i = 1; i < 5000; ++i) ids.push_back(i << 21);
    for (XWindowId id : ids) EXPECT_TRUE(set.insert(id));
    EXPECT_FALSE(set.insert(ids[7]));
    EXPECT_EQ(set.size(), ids.size());
    EXPECT_TRUE(set.insert(0));
    EXPECT_FALSE(set.insert(0));
    EXPECT_EQ(set.size(), ids.size() + 1);
    for (XWindowId id : ids) ASSERT_TRUE(set.contains(id)) << id;
    EXPECT_FALSE(set.contains(0x1E00000 | 5001));
    EXPECT_FALSE(set.contains(~XWindowId{0}));

    Ids seen;
    set.forEach([&](XWindowId id) { seen.push_back(id); });
    ids.push_back(0);
    EXPECT_EQ(sorted(seen), sorted(ids));

    const WindowIdSet built(Ids{3, 3, 0, 9});
    EXPECT_EQ(built.size(), 3u);
    EXPECT_TRUE(built.contains(0) && built.contains(3) && built.contains(9));
    set.clear();
    EXPECT_EQ(set.size(), 0u);
    EXPECT_FALSE(set.contains(3));
    EXPECT_TRUE(set.insert(3));
}

TEST(LinuxClientListTrackerTest, NewIdsWaitInListOrderAndTakenIdsThatLeaveAreHandedBack) {
    ClientListTracker t;
    EXPECT_TRUE(t.update({5, 1, 5, 7, 3}).empty());
    EXPECT_TRUE(t.listed(7));
    EXPECT_FALSE(t.listed(2));
    EXPECT_EQ(t.next(2), (Ids{5, 1}));
    EXPECT_TRUE(t.take(3));   // out of turn
    EXPECT_FALSE(t.take(3));  // once
    EXPECT_FALSE(t.take(2));  // not listed
    EXPECT_EQ(t.next(10), (Ids{7}));  // the repeated 5 and the taken 3 are not handed out again
    EXPECT_FALSE(t.hasWaiting());
    EXPECT_TRUE(t.next(10).empty());

    // A change: the taken ids that left come back once; only the new ids wait.
    EXPECT_EQ(sorted(t.update({7, 8, 1, 9})), (Ids{3, 5}));
    EXPECT_TRUE(t.taken(7));
    EXPECT_FALSE(t.taken(5));
    EXPECT_EQ(t.next(1), (Ids{8}));
    // A change before the rest was taken: what still waits is the new list's untaken ids.
    EXPECT_EQ(sorted(t.update({9, 4, 8})), (Ids{1, 7}));
    EXPECT_EQ(t.next(10), (Ids{9, 4}));
    EXPECT_EQ(sorted(t.update({})), (Ids{4, 8, 9}));
    EXPECT_FALSE(t.hasWaiting());
}

TEST(LinuxClientListTrackerTest, SlicesAfterTheFirstRunOnTheQueueAndNotOnceTheTrackerIsGone) {
    sim::SimMainQueue queue;
    auto t = std::make_unique<ClientListTracker>();
    const size_t slice = ClientListTracker::kSlice;
    Ids list;
    for (size_t i = 1; i <= 2 * slice + 10; ++i) list.push_back(i);
    std::vector<size_t> slices;
    auto handle = [&](const Ids& fresh) { slices.push_back(fresh.size()); };

    t->update(list);
    t->takeInSlices(queue, handle);
    EXPECT_EQ(slices, (std::vector<size_t>{slice}));
    t->takeInSlices(queue, handle);  // a second change before the queue ran: one more now, no second chain
    queue.runPending();
    EXPECT_EQ(slices, (std::vector<size_t>{slice, slice, 10}));
    EXPECT_EQ(queue.pendingCount(), 0u);

    // A change that leaves work waiting, then the tracker goes: the posted slice does nothing.
    list.push_back(list.size() + 1);
    list.push_back(list.size() + 1);
    for (size_t i = 0; i < slice; ++i) list.push_back(100000 + i);
    t->update(list);
    t->takeInSlices(queue, handle);
    EXPECT_EQ(slices.back(), slice);
    t.reset();
    queue.runPending();
    EXPECT_EQ(slices.size(), 4u);
}

}  // namespace
}  // namespace tessane::linux_backend
