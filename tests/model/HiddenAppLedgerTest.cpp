#include "model/HiddenAppLedger.h"

#include "model/Log.h"
#include "platform/sim/SimDefaults.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace tessane {
namespace {

using Ids = std::vector<std::string>;
constexpr const char* kKey = "TessaneHiddenAppBundleIDs";

// Counts the saves so that tests can tell "wrote the same list again" from "wrote nothing".
class CountingStore final : public HiddenAppStore {
public:
    Ids loadHiddenBundleIDs() const override { return ids; }
    void saveHiddenBundleIDs(const Ids& bundleIDs) override {
        ids = bundleIDs;
        ++saves;
    }
    Ids ids;
    int saves = 0;
};

class HiddenAppLedgerTest : public ::testing::Test {
protected:
    void SetUp() override { Log::resetForTesting(); }

    sim::SimDefaults defaults;
    HiddenAppLedger ledger{std::make_shared<UserDefaultsHiddenAppStore>(defaults)};
};

TEST_F(HiddenAppLedgerTest, RecordStoresASortedListWithoutDuplicates) {
    ledger.record({"org.b", "org.a"});
    EXPECT_EQ(defaults.stringArray(kKey), (Ids{"org.a", "org.b"}));
    ledger.record({"org.a"});
    EXPECT_EQ(defaults.stringArray(kKey), (Ids{"org.a", "org.b"}));
    ledger.record(std::set<std::string>{"org.c", "org.a"});
    EXPECT_EQ(ledger.hiddenBundleIDs(), (Ids{"org.a", "org.b", "org.c"}));
}

TEST_F(HiddenAppLedgerTest, ForgettingTheLastIdentifierRemovesTheKey) {
    ledger.record({"org.a", "org.b"});
    ledger.forget(Ids{"org.a", "org.unknown"});
    EXPECT_EQ(defaults.stringArray(kKey), (Ids{"org.b"}));
    ledger.forget({"org.b"});
    EXPECT_FALSE(defaults.value(kKey).has_value());
    EXPECT_TRUE(ledger.hiddenBundleIDs().empty());
}

TEST_F(HiddenAppLedgerTest, DuplicatesInTheStoredListCollapseOnTheNextChange) {
    defaults.set(kKey, Ids{"org.z", "org.a", "org.z"});
    EXPECT_EQ(ledger.hiddenBundleIDs(), (Ids{"org.z", "org.a", "org.z"})) << "read as stored";
    ledger.forget({"org.a"});
    EXPECT_EQ(defaults.stringArray(kKey), (Ids{"org.z"}));
}

TEST_F(HiddenAppLedgerTest, AValueOfAnotherTypeReadsAsEmptyAndIsReplacedOnRecord) {
    defaults.set(kKey, std::string("org.a"));
    EXPECT_TRUE(ledger.hiddenBundleIDs().empty());
    const auto lines = Log::recentLines(10);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(kKey), std::string::npos) << lines.back();

    ledger.forget({"org.a"});
    EXPECT_EQ(defaults.stringValue(kKey), "org.a") << "nothing removed, nothing written";
    ledger.record({"org.b"});
    EXPECT_EQ(defaults.stringArray(kKey), (Ids{"org.b"}));
}

TEST(HiddenAppLedgerWrites, RecordAlwaysWritesForgetOnlyWhenSomethingWentAway) {
    auto store = std::make_shared<CountingStore>();
    HiddenAppLedger ledger(store);
    ledger.record(Ids{});
    EXPECT_EQ(store->saves, 1) << "record saves even an unchanged list";
    ledger.record({"org.a"});
    ledger.record({"org.a"});
    EXPECT_EQ(store->saves, 3);
    ledger.forget({"org.nope"});
    ledger.forget(Ids{});
    EXPECT_EQ(store->saves, 3);
    ledger.forget({"org.a"});
    EXPECT_EQ(store->saves, 4);
    EXPECT_TRUE(store->ids.empty());
}

TEST(HiddenAppLedgerWrites, InMemoryStoreKeepsTheListForItsLifetimeOnly) {
    auto store = std::make_shared<InMemoryHiddenAppStore>();
    HiddenAppLedger ledger(store);
    ledger.record({"org.b", "org.a"});
    EXPECT_EQ(store->loadHiddenBundleIDs(), (Ids{"org.a", "org.b"}));
    ledger.forget({"org.a", "org.b"});
    EXPECT_TRUE(store->loadHiddenBundleIDs().empty());
}

}  // namespace
}  // namespace tessane
