#include "system/ManagedWindowCache.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tessane;

namespace {

Uuid id(uint8_t n) {
    std::array<uint8_t, 16> bytes{};
    bytes[15] = n;
    return Uuid(bytes);
}

AXElement window(uint64_t n) { return AXElement::fromHandle(n); }

TEST(ManagedWindowCache, EmptyCacheAnswersNothing) {
    ManagedWindowCache<AXElement> cache;
    EXPECT_EQ(cache.window(id(1), 100), std::nullopt);
    EXPECT_TRUE(cache.claimedWindows(100, id(1)).empty());
    EXPECT_TRUE(cache.appIDs().empty());
}

TEST(ManagedWindowCache, EntryOfAnotherProcessIsDroppedOnLookup) {
    ManagedWindowCache<AXElement> cache;
    cache.store(window(1), id(1), 100);
    EXPECT_EQ(cache.window(id(1), 100), window(1));
    EXPECT_EQ(cache.window(id(1), 200), std::nullopt);  // the application was restarted
    EXPECT_EQ(cache.window(id(1), 100), std::nullopt);  // and the old entry is gone
    EXPECT_TRUE(cache.appIDs().empty());
}

TEST(ManagedWindowCache, ClaimedWindowsLeaveOutTheAskingPaneAndOtherProcesses) {
    ManagedWindowCache<AXElement> cache;
    cache.store(window(1), id(1), 100);
    cache.store(window(2), id(2), 100);
    cache.store(window(3), id(3), 300);
    EXPECT_EQ(cache.claimedWindows(100, id(1)), std::vector<AXElement>{window(2)});
    auto all = cache.claimedWindows(100, id(9));
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (std::vector<AXElement>{window(1), window(2)}));
}

TEST(ManagedWindowCache, InvalidateStoreAndRemove) {
    ManagedWindowCache<AXElement> cache;
    cache.store(window(1), id(1), 100);
    cache.store(window(2), id(2), 100);
    cache.store(window(3), id(3), 300);
    cache.invalidate(100);
    EXPECT_EQ(cache.appIDs(), std::set<Uuid>{id(3)});

    cache.store(window(4), id(3), 300);  // replaces
    EXPECT_EQ(cache.window(id(3), 300), window(4));
    cache.remove(id(3));
    cache.remove(id(7));  // nothing to remove
    EXPECT_TRUE(cache.appIDs().empty());
}

}  // namespace
