// The watcher on a real inotify watch of real files; time-outs stay on the simulated clock.
#include "support/LoggedLines.h"
#include "system/StageManagerWatcher.h"

#include "model/Log.h"
#include "platform/linux/session/LinuxFileWatch.h"
#include "platform/sim/SimMainQueue.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <unistd.h>

using tessane::testing::loggedMessages;

namespace tessane {
namespace {

namespace fs = std::filesystem;


class StageManagerWatcherInotifyTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log::resetForTesting();
        dir = fs::temp_directory_path() /
              ("tessane-smw-" + std::to_string(::getpid()) + "-" +
               std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        file = dir / "com.apple.WindowManager.plist";
    }
    void TearDown() override {
        fs::remove_all(dir);
        Log::resetForTesting();
    }

    // Writes a file with a modification time of its own, so that every write is a change.
    void writeAt(const fs::path& p, const std::string& text, int minutesAgo) {
        {
            std::ofstream out(p, std::ios::trunc);
            out << text;
        }
        fs::last_write_time(p, fs::file_time_type::clock::now() -
                                   std::chrono::minutes(minutesAgo));
    }
    // Delivers what the kernel queued, then lets the simulated clock run the re-arm.
    void settle() {
        while (files.waitAndProcess(50)) {
        }
        queue.advance(0.1);
        while (files.waitAndProcess(20)) {
        }
    }

    fs::path dir, file;
    sim::SimMainQueue queue;
    linux_backend::LinuxFileWatch files;
    int changes = 0;
};

TEST_F(StageManagerWatcherInotifyTest, CreatedFileIsReportedAndThenWatchedItself) {
    StageManagerWatcher watcher(files, queue, file, [this] { ++changes; });
    watcher.start();
    ASSERT_TRUE(watcher.isArmed());
    EXPECT_FALSE(watcher.isWatchingFile());

    writeAt(file, "on", 30);
    settle();
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(watcher.isArmed());
    EXPECT_TRUE(watcher.isWatchingFile());

    writeAt(file, "off", 20);
    settle();
    EXPECT_EQ(changes, 2);
}

TEST_F(StageManagerWatcherInotifyTest, ReArmsAfterDeleteAndAfterAtomicRename) {
    writeAt(file, "v1", 60);
    StageManagerWatcher watcher(files, queue, file, [this] { ++changes; });
    watcher.start();
    ASSERT_TRUE(watcher.isWatchingFile());

    // Atomic replace: write aside, rename onto the watched name.
    writeAt(dir / "tmp", "v2", 50);
    fs::rename(dir / "tmp", file);
    settle();
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(watcher.isArmed());
    EXPECT_TRUE(watcher.isWatchingFile());

    writeAt(file, "v3", 40);  // the new file is the one watched now
    settle();
    EXPECT_EQ(changes, 2);

    fs::remove(file);
    settle();
    EXPECT_EQ(changes, 3);
    EXPECT_TRUE(watcher.isArmed());
    EXPECT_FALSE(watcher.isWatchingFile());  // back on the folder

    writeAt(file, "v4", 30);
    settle();
    EXPECT_EQ(changes, 4);
    EXPECT_TRUE(watcher.isWatchingFile());
    EXPECT_TRUE(loggedMessages().empty());
}

TEST_F(StageManagerWatcherInotifyTest, MissingFolderLogsThatItCannotWatch) {
    StageManagerWatcher watcher(files, queue, dir / "nope" / "x.plist", [this] { ++changes; });
    watcher.start();
    EXPECT_FALSE(watcher.isArmed());
    ASSERT_EQ(loggedMessages().size(), 1u);
    EXPECT_NE(loggedMessages()[0].find("couldn't watch " + (dir / "nope").string()),
              std::string::npos);
}

}  // namespace
}  // namespace tessane
