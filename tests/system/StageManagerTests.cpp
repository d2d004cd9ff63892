#include "support/LoggedLines.h"
#include "system/StageManager.h"
#include "system/StageManagerWatcher.h"

#include "model/Log.h"
#include "platform/linux/session/LinuxPreferences.h"
#include "platform/sim/SimFileWatch.h"
#include "platform/sim/SimMainQueue.h"
#include "platform/sim/SimPreferences.h"

#include <gtest/gtest.h>

using tessane::testing::loggedMessages;

namespace tessane {
namespace {

namespace fs = std::filesystem;


const fs::path kHome = "/home/user";
const fs::path kFolder = kHome / "Library/Preferences";
const fs::path kFile = kFolder / "com.apple.WindowManager.plist";
const std::string kGiveUp =
    "[Tessane] Stage Manager watcher: giving up re-arming — pointer / activation backstop only.";

TEST(StageManagerTest, ReadsTheSettingByItsTruthValue) {
    struct Case {
        std::optional<Preferences::Value> value;
        bool expected;
    };
    const Case cases[] = {
        {std::nullopt, false},
        {Preferences::Value{true}, true},
        {Preferences::Value{false}, false},
        {Preferences::Value{1LL}, true},
        {Preferences::Value{0LL}, false},
        {Preferences::Value{0.5}, true},
        {Preferences::Value{std::string("1")}, false},
        {Preferences::Value{std::vector<std::string>{"1"}}, false},
    };
    for (const auto& c : cases) {
        sim::SimPreferences prefs(kHome);
        if (c.value) prefs.set(StageManager::kDomain, StageManager::kEnabledKey, *c.value);
        EXPECT_EQ(StageManager::isEnabled(prefs), c.expected) << c.value.has_value();
    }
}

TEST(StageManagerTest, EveryReadIsFresh) {
    sim::SimPreferences prefs(kHome);
    EXPECT_FALSE(StageManager::isEnabled(prefs));
    prefs.set("com.apple.WindowManager", "GloballyEnabled", true);
    EXPECT_TRUE(StageManager::isEnabled(prefs));
    prefs.remove("com.apple.WindowManager", "GloballyEnabled");
    EXPECT_FALSE(StageManager::isEnabled(prefs));
    EXPECT_EQ(prefs.readCount(), 3);
    EXPECT_EQ(StageManager::preferencesFile(prefs), kFile);
}

TEST(StageManagerTest, LinuxHasNoStageManagerAndNoFile) {
    linux_backend::LinuxPreferences prefs;
    EXPECT_FALSE(StageManager::isEnabled(prefs));
    EXPECT_EQ(StageManager::preferencesFile(prefs), std::nullopt);
}

class StageManagerWatcherTest : public ::testing::Test {
protected:
    void SetUp() override { Log::resetForTesting(); }
    void TearDown() override { Log::resetForTesting(); }

    std::unique_ptr<StageManagerWatcher> makeWatcher(fs::path file = kFile) {
        return std::make_unique<StageManagerWatcher>(files, queue, std::move(file),
                                                     [this] { ++changes; });
    }
    // Another file with the same modification time renamed onto the watched one: the watch
    // loses its file, but the file looks unchanged.
    void replaceUnchanged(TimeInterval modified) {
        files.writeFile(kFolder / "tmp.plist", modified);
        files.renameFile(kFolder / "tmp.plist", kFile);
    }

    sim::SimMainQueue queue;
    sim::SimFileWatch files{queue};
    int changes = 0;
};

TEST_F(StageManagerWatcherTest, MissingFileWatchesFolderThenMovesOntoTheCreatedFile) {
    files.createFolder(kFolder);
    auto watcher = makeWatcher();
    watcher->start();
    EXPECT_TRUE(watcher->isArmed());
    EXPECT_FALSE(watcher->isWatchingFile());

    queue.advance(1);
    files.writeFile(kFile);
    queue.runPending();
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(watcher->isArmed());  // re-arming

    queue.advance(0.1);
    EXPECT_TRUE(watcher->isArmed());
    EXPECT_TRUE(watcher->isWatchingFile());
    EXPECT_EQ(files.activeWatchCount(), 1u);

    queue.advance(1);
    files.writeFile(kFile);
    queue.runPending();
    EXPECT_EQ(changes, 2);
}

TEST_F(StageManagerWatcherTest, AtomicReplaceReportsAndReArmsOnTheNewFile) {
    files.writeFile(kFile);
    auto watcher = makeWatcher();
    watcher->start();
    ASSERT_TRUE(watcher->isWatchingFile());

    queue.advance(2);
    files.writeFile(kFolder / "com.apple.WindowManager.plist.tmp");
    files.renameFile(kFolder / "com.apple.WindowManager.plist.tmp", kFile);
    queue.runPending();
    EXPECT_EQ(changes, 1);
    queue.advance(0.05);
    EXPECT_FALSE(watcher->isArmed());
    queue.advance(0.05);
    EXPECT_TRUE(watcher->isArmed());
    EXPECT_TRUE(watcher->isWatchingFile());

    queue.advance(1);
    files.writeFile(kFile);  // the new file is the one watched now
    queue.runPending();
    EXPECT_EQ(changes, 2);
}

TEST_F(StageManagerWatcherTest, DeletedFileFallsBackToTheFolder) {
    files.writeFile(kFile);
    auto watcher = makeWatcher();
    watcher->start();
    files.removeFile(kFile);
    queue.runPending();
    EXPECT_EQ(changes, 1);
    queue.advance(0.1);
    EXPECT_TRUE(watcher->isArmed());
    EXPECT_FALSE(watcher->isWatchingFile());
    files.writeFile(kFile);
    queue.advance(0.2);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(watcher->isWatchingFile());
}

TEST_F(StageManagerWatcherTest, WriteWithUnchangedModificationTimeReportsNothing) {
    files.writeFile(kFile, 100.0);
    auto watcher = makeWatcher();
    watcher->start();
    files.writeFile(kFile, 100.0);
    files.touchAttributes(kFile);
    queue.advance(1);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(watcher->isArmed());
}

TEST_F(StageManagerWatcherTest, ElevenReArmsWithoutChangeGiveUp) {
    files.writeFile(kFile, 100.0);
    auto watcher = makeWatcher();
    watcher->start();
    for (int i = 1; i <= 10; ++i) {
        replaceUnchanged(100.0);
        queue.advance(0.1);
        EXPECT_TRUE(watcher->isArmed()) << i;
        EXPECT_EQ(watcher->rearmAttempts(), i);
    }
    EXPECT_TRUE(loggedMessages().empty());

    replaceUnchanged(100.0);
    queue.advance(0.1);
    EXPECT_EQ(loggedMessages(), std::vector<std::string>{kGiveUp});
    EXPECT_EQ(watcher->rearmAttempts(), 10);
    EXPECT_TRUE(watcher->isArmed());  // left on the source it had
    EXPECT_EQ(queue.pendingCount(), 0u);
    EXPECT_EQ(changes, 0);
}

TEST_F(StageManagerWatcherTest, AReportedChangeResetsTheReArmCount) {
    files.writeFile(kFile, 100.0);
    auto watcher = makeWatcher();
    watcher->start();
    for (int i = 0; i < 5; ++i) {
        replaceUnchanged(100.0);
        queue.advance(0.1);
    }
    EXPECT_EQ(watcher->rearmAttempts(), 5);
    replaceUnchanged(200.0);  // a real change: reported, then re-armed once
    queue.advance(0.1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(watcher->rearmAttempts(), 1);
}

TEST_F(StageManagerWatcherTest, StartWhileArmedAndStopTwiceAreHarmless) {
    files.writeFile(kFile);
    auto watcher = makeWatcher();
    watcher->start();
    watcher->start();
    EXPECT_EQ(files.watchRequests(kFile), 1);
    watcher->stop();
    watcher->stop();
    EXPECT_FALSE(watcher->isArmed());
    EXPECT_EQ(files.activeWatchCount(), 0u);

    watcher->start();  // can be started again
    EXPECT_TRUE(watcher->isArmed());
    EXPECT_EQ(files.watchRequests(kFile), 2);
}

TEST_F(StageManagerWatcherTest, StopCancelsAWaitingReArm) {
    files.writeFile(kFile);
    auto watcher = makeWatcher();
    watcher->start();
    files.removeFile(kFile);
    queue.runPending();
    EXPECT_EQ(changes, 1);
    watcher->stop();
    queue.advance(1);
    EXPECT_FALSE(watcher->isArmed());
    EXPECT_EQ(files.activeWatchCount(), 0u);
}

TEST_F(StageManagerWatcherTest, EventsAfterStopOrDestructionAreDropped) {
    files.writeFile(kFile);
    auto watcher = makeWatcher();
    watcher->start();
    queue.advance(1);
    files.writeFile(kFile);
    watcher->stop();  // the delivery was already queued
    queue.advance(1);
    EXPECT_EQ(changes, 0);

    watcher->start();
    files.writeFile(kFile);
    watcher.reset();
    queue.advance(1);
    EXPECT_EQ(changes, 0);
}

TEST_F(StageManagerWatcherTest, AnOwnerThatStopsOrDestroysItInTheCallbackGetsNoReArm) {
    // The file replaced atomically: the callback runs, and the watcher would re-arm after it.
    files.writeFile(kFile);
    std::unique_ptr<StageManagerWatcher> watcher;
    bool destroy = false;
    watcher = std::make_unique<StageManagerWatcher>(files, queue, kFile, [&] {
        ++changes;
        if (destroy) watcher.reset();
        else watcher->stop();
    });
    watcher->start();
    files.removeFile(kFile);
    queue.advance(1);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(watcher->isArmed());  // stopped stays stopped
    EXPECT_EQ(files.activeWatchCount(), 0u);

    destroy = true;
    files.writeFile(kFile);
    watcher->start();
    files.removeFile(kFile);
    queue.advance(1);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(watcher, nullptr);
    EXPECT_EQ(files.activeWatchCount(), 0u);
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(StageManagerWatcherTest, DestroyedInsideItsCallbackWhileWatchingTheFolderTouchesNothing) {
    // The file appears in the watched folder: after the callback the watcher would move its
    // watch onto the file. An owner that ends the last session destroys it first, and the
    // callback goes on with what it captured.
    files.createFolder(kFolder);
    std::unique_ptr<StageManagerWatcher> watcher;
    std::vector<std::string> steps;
    watcher = std::make_unique<StageManagerWatcher>(files, queue, kFile, [&] {
        watcher.reset();
        steps.push_back("last session ended");
    });
    watcher->start();
    queue.advance(1);
    files.writeFile(kFile);
    queue.advance(1);
    EXPECT_EQ(watcher, nullptr);
    EXPECT_EQ(steps, std::vector<std::string>{"last session ended"});
    EXPECT_EQ(files.activeWatchCount(), 0u);
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(StageManagerWatcherTest, UnwatchablePathLogsAndStaysIdle) {
    auto watcher = makeWatcher();  // neither the file nor its folder exists
    watcher->start();
    EXPECT_FALSE(watcher->isArmed());
    EXPECT_EQ(loggedMessages(),
              std::vector<std::string>{
                  "[Tessane] Stage Manager watcher: couldn't watch " + kFolder.string() +
                  " — relying on the pointer / activation backstop instead."});
    files.createFolder(kFolder);
    watcher->start();  // a later start may succeed
    EXPECT_TRUE(watcher->isArmed());
}

TEST_F(StageManagerWatcherTest, SimPreferencesChangesReachTheWatcher) {
    sim::SimPreferences prefs(kHome, &files);
    prefs.set(StageManager::kDomain, StageManager::kEnabledKey, false);
    std::vector<bool> seen;
    StageManagerWatcher observed(files, queue, *StageManager::preferencesFile(prefs),
                                 [&] { seen.push_back(StageManager::isEnabled(prefs)); });
    observed.start();
    queue.advance(1);
    prefs.set(StageManager::kDomain, StageManager::kEnabledKey, true);
    queue.advance(1);
    prefs.set(StageManager::kDomain, StageManager::kEnabledKey, false);
    queue.advance(1);
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace tessane
