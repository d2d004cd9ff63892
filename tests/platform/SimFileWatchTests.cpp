#include "platform/sim/SimFileWatch.h"
#include "platform/sim/SimMainQueue.h"

#include <gtest/gtest.h>

namespace tessane::sim {
namespace {

class SimFileWatchTest : public ::testing::Test {
protected:
    std::function<void(uint32_t)> recorder(std::vector<uint32_t>& into) {
        return [&into](uint32_t ev) { into.push_back(ev); };
    }
    SimMainQueue queue;
    SimFileWatch files{queue};
};

TEST_F(SimFileWatchTest, DeliversCoalescedOnTheMainQueue) {
    files.writeFile("/d/f", 10.0);
    std::vector<uint32_t> got;
    auto source = files.watch("/d/f", FileEvent::all, recorder(got));
    files.writeFile("/d/f");
    files.touchAttributes("/d/f");
    EXPECT_TRUE(got.empty());  // nothing until the queue runs
    queue.runPending();
    EXPECT_EQ(got, std::vector<uint32_t>{FileEvent::write | FileEvent::extend | FileEvent::attrib});
}

TEST_F(SimFileWatchTest, WatchFollowsTheFileNotItsName) {
    files.writeFile("/d/f");
    std::vector<uint32_t> onFile, onFolder;
    auto a = files.watch("/d/f", FileEvent::all, recorder(onFile));
    auto b = files.watch("/d", FileEvent::all, recorder(onFolder));
    files.renameFile("/d/f", "/d/g");
    queue.runPending();
    files.writeFile("/d/g");
    files.writeFile("/d/f");  // a new file under the old name is not watched by `a`
    queue.runPending();
    EXPECT_EQ(onFile, (std::vector<uint32_t>{FileEvent::renamed,
                                             FileEvent::write | FileEvent::extend}));
    EXPECT_EQ(onFolder, (std::vector<uint32_t>{FileEvent::write, FileEvent::write}));
}

TEST_F(SimFileWatchTest, RenameOntoDeletesTheOldFileAndStatusSeesTheNewOne) {
    files.writeFile("/d/f", 1.0);
    files.writeFile("/d/tmp", 2.0);
    std::vector<uint32_t> got;
    auto source = files.watch("/d/f", FileEvent::all, recorder(got));
    files.renameFile("/d/tmp", "/d/f");
    queue.runPending();
    EXPECT_EQ(got, std::vector<uint32_t>{FileEvent::deleted});
    EXPECT_EQ(files.status("/d/f"), (FileStatus{true, 2.0}));
    EXPECT_EQ(files.status("/d/tmp"), FileStatus{});
}

TEST_F(SimFileWatchTest, NothingAfterCancelAndMissingOrUnwatchablePathsFail) {
    files.writeFile("/d/f");
    std::vector<uint32_t> got;
    auto source = files.watch("/d/f", FileEvent::all, recorder(got));
    files.writeFile("/d/f");
    source->cancel();
    queue.runPending();
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(files.activeWatchCount(), 0u);

    EXPECT_EQ(files.watch("/d/missing", FileEvent::all, [](uint32_t) {}), nullptr);
    files.setUnwatchable("/d/f");
    EXPECT_EQ(files.watch("/d/f", FileEvent::all, [](uint32_t) {}), nullptr);
    EXPECT_EQ(files.watchRequests("/d/f"), 2);
}

TEST_F(SimFileWatchTest, RewriteWithoutExplicitTimeAlwaysMovesTheTimeLater) {
    files.writeFile("/d/f");
    const auto first = files.status("/d/f").modified;
    files.writeFile("/d/f");
    EXPECT_GT(*files.status("/d/f").modified, *first);
    files.writeFile("/d/f", 5.0);
    EXPECT_EQ(files.status("/d/f").modified, 5.0);
}

}  // namespace
}  // namespace tessane::sim
