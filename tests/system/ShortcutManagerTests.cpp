#include "support/LoggedLines.h"
#include "system/ShortcutHelp.h"
#include "system/ShortcutManager.h"

#include "model/Log.h"
#include "platform/sim/SimHotKeys.h"

#include <gtest/gtest.h>

using tessane::testing::loggedMessages;

namespace tessane {
namespace {

constexpr uint32_t kKey1 = 18, kKeyH = 4, kKeyTab = 48;
constexpr uint32_t kOptCmd = CarbonModifiers::option | CarbonModifiers::command;

class ShortcutManagerTest : public ::testing::Test {
protected:
    void SetUp() override { Log::resetForTesting(); }
    void TearDown() override { Log::resetForTesting(); }
    sim::SimHotKeys hotKeys;
};

TEST_F(ShortcutManagerTest, IdentifiersStartAtOneAndAFailureUsesOneUp) {
    hotKeys.setOwnedByAnotherClient(kKeyH, kOptCmd);
    ShortcutManager manager(hotKeys);
    EXPECT_EQ(manager.registerHotKey(kKey1, kOptCmd, [] {}), 1u);
    EXPECT_EQ(manager.registerHotKey(kKeyH, kOptCmd, [] {}), std::nullopt);
    EXPECT_EQ(manager.registerHotKey(kKeyTab, kOptCmd, [] {}), 3u);

    const auto grabs = hotKeys.grabs();
    ASSERT_EQ(grabs.size(), 2u);
    for (const auto& g : grabs) EXPECT_EQ(g.id.signature, 0x54534E45u);  // 'TSNE'
    EXPECT_EQ(grabs[1].id.id, 3u);
}

TEST_F(ShortcutManagerTest, RefusedChordLogsOneLineWithKeyCodeAndStatus) {
    hotKeys.setOwnedByAnotherClient(kKeyH, kOptCmd);
    ShortcutManager manager(hotKeys);
    bool ran = false;
    EXPECT_FALSE(manager.registerHotKey(kKeyH, kOptCmd, [&] { ran = true; }));
    EXPECT_EQ(loggedMessages(), std::vector<std::string>{
                                        "[Tessane] Failed to register hotkey (keyCode=4); "
                                        "status=-9878."});
    EXPECT_FALSE(hotKeys.press(kKeyH, kOptCmd));
    EXPECT_FALSE(ran);
    EXPECT_EQ(manager.registeredCount(), 0u);
}

TEST_F(ShortcutManagerTest, OurOwnChordTwiceIsRefusedTheSecondTime) {
    ShortcutManager manager(hotKeys);
    EXPECT_TRUE(manager.registerHotKey(kKey1, kOptCmd, [] {}));
    EXPECT_FALSE(manager.registerHotKey(kKey1, kOptCmd, [] {}));
    EXPECT_EQ(loggedMessages().size(), 1u);
}

TEST_F(ShortcutManagerTest, PressRunsTheBoundActionOnly) {
    ShortcutManager manager(hotKeys);
    std::vector<std::string> ran;
    manager.registerHotKey(kKey1, kOptCmd, [&] { ran.push_back("show1"); });
    manager.registerHotKey(kKeyH, kOptCmd, [&] { ran.push_back("hide"); });
    EXPECT_TRUE(hotKeys.press(kKeyH, kOptCmd));
    EXPECT_FALSE(hotKeys.press(kKeyH, CarbonModifiers::command));  // another chord
    EXPECT_TRUE(hotKeys.press(kKey1, kOptCmd));
    EXPECT_EQ(ran, (std::vector<std::string>{"hide", "show1"}));
}

TEST_F(ShortcutManagerTest, AfterUnregisterAllNothingRunsAndIdsAreNotReused) {
    ShortcutManager manager(hotKeys);
    int runs = 0;
    EXPECT_EQ(manager.registerHotKey(kKey1, kOptCmd, [&] { ++runs; }), 1u);
    EXPECT_EQ(manager.registerHotKey(kKeyH, kOptCmd, [&] { ++runs; }), 2u);
    manager.unregisterAll();
    EXPECT_TRUE(hotKeys.grabs().empty());
    EXPECT_FALSE(hotKeys.press(kKey1, kOptCmd));
    // A press that raced with the rebind still carries the old identifier.
    hotKeys.deliverPress({ShortcutManager::kSignature, 1});
    EXPECT_EQ(runs, 0);

    EXPECT_EQ(manager.registerHotKey(kKey1, kOptCmd, [&] { runs += 10; }), 3u);
    hotKeys.deliverPress({ShortcutManager::kSignature, 1});
    EXPECT_EQ(runs, 0);
    hotKeys.press(kKey1, kOptCmd);
    EXPECT_EQ(runs, 10);
}

TEST_F(ShortcutManagerTest, SignatureIsNotComparedOnPress) {
    ShortcutManager manager(hotKeys);
    int runs = 0;
    manager.registerHotKey(kKey1, kOptCmd, [&] { ++runs; });
    hotKeys.deliverPress({0x41424344, 1});
    EXPECT_EQ(runs, 1);
}

TEST_F(ShortcutManagerTest, ActionMayRebindWhileRunning) {
    ShortcutManager manager(hotKeys);
    int runs = 0;
    manager.registerHotKey(kKey1, kOptCmd, [&] {
        ++runs;
        manager.unregisterAll();
        manager.registerHotKey(kKey1, kOptCmd, [&] { runs += 100; });
    });
    hotKeys.press(kKey1, kOptCmd);
    EXPECT_EQ(runs, 1);
    hotKeys.press(kKey1, kOptCmd);
    EXPECT_EQ(runs, 101);
}

TEST_F(ShortcutManagerTest, DestructionReleasesChordsAndHandler) {
    {
        ShortcutManager manager(hotKeys);
        manager.registerHotKey(kKey1, kOptCmd, [] {});
        EXPECT_EQ(hotKeys.handlerCount(), 1u);
    }
    EXPECT_TRUE(hotKeys.grabs().empty());
    EXPECT_EQ(hotKeys.handlerCount(), 0u);
    hotKeys.deliverPress({ShortcutManager::kSignature, 1});  // must not reach a dead manager
}

TEST(ShortcutHelpTest, SevenRowsInOrderWithLinuxKeys) {
    const auto& rows = ShortcutHelp::all();
    std::vector<std::string> ids;
    for (auto& r : rows) ids.push_back(r.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"switch", "show", "hide", "bring", "next", "prev",
                                             "solo"}));
    EXPECT_EQ(rows[1].keys, "Super+Alt+1–9");
    EXPECT_EQ(rows[6].summary, "Solo the focused app (press again to restore)");
    for (auto& r : rows) {
        EXPECT_EQ(r.keys.find("⌘"), std::string::npos) << r.id;
        EXPECT_EQ(r.summary.find("⌘"), std::string::npos) << r.id;
    }
}

}  // namespace
}  // namespace tessane
