#include "platform/linux/session/LinuxFileWatch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessane::linux_backend {
namespace {

namespace fs = std::filesystem;

class LinuxFileWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessane-inotify-" + std::to_string(::getpid()) + "-" +
               std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        ASSERT_GE(files.fd(), 0);
    }
    void TearDown() override { fs::remove_all(dir); }

    static void write(const fs::path& p, const std::string& text, bool append = false) {
        std::ofstream out(p, append ? std::ios::app : std::ios::trunc);
        out << text;
    }
    // Runs every event the kernel has queued by now.
    void pump() {
        while (files.waitAndProcess(50)) {
        }
    }
    // A handler that records every delivery.
    std::function<void(uint32_t)> recorder(std::vector<uint32_t>& into) {
        return [&into](uint32_t ev) { into.push_back(ev); };
    }

    fs::path dir;
    LinuxFileWatch files;
};

TEST_F(LinuxFileWatchTest, FileWriteAttribAndDelete) {
    const auto file = dir / "prefs.plist";
    write(file, "a");
    std::vector<uint32_t> got;
    auto source = files.watch(file, FileEvent::all, recorder(got));
    ASSERT_TRUE(source);

    write(file, "bb", true);
    pump();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(got[0] & FileEvent::write);

    fs::permissions(file, fs::perms::owner_read, fs::perm_options::replace);
    pump();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1], FileEvent::attrib);

    fs::remove(file);
    pump();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_TRUE(got[2] & FileEvent::deleted);
}

TEST_F(LinuxFileWatchTest, EventsAreCoalescedIntoOneDelivery) {
    const auto file = dir / "f";
    write(file, "");
    std::vector<uint32_t> got;
    auto source = files.watch(file, FileEvent::all, recorder(got));
    for (int i = 0; i < 5; ++i) write(file, "x", true);
    fs::permissions(file, fs::perms::owner_all, fs::perm_options::replace);
    ASSERT_TRUE(files.waitAndProcess(1000));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], FileEvent::write | FileEvent::attrib);
}

TEST_F(LinuxFileWatchTest, RenameAwayIsFollowedAndRenameOntoIsADelete) {
    const auto file = dir / "f";
    const auto other = dir / "g";
    write(file, "1");
    std::vector<uint32_t> moved, replaced;
    auto a = files.watch(file, FileEvent::all, recorder(moved));
    fs::rename(file, other);
    pump();
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0], FileEvent::renamed);
    write(other, "2", true);  // still the same file, under its new name
    pump();
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_TRUE(moved[1] & FileEvent::write);

    write(file, "new");
    auto b = files.watch(file, FileEvent::all, recorder(replaced));
    write(dir / "tmp", "atomic");
    fs::rename(dir / "tmp", file);
    pump();
    ASSERT_FALSE(replaced.empty());
    EXPECT_TRUE(replaced.back() & FileEvent::deleted);
}

TEST_F(LinuxFileWatchTest, UnlinkWhileAnotherHolderKeepsItOpenIsADelete) {
    const auto file = dir / "f";
    write(file, "1");
    std::vector<uint32_t> got;
    auto source = files.watch(file, FileEvent::all, recorder(got));
    std::ifstream holder(file);  // keeps the inode alive after the unlink
    fs::remove(file);
    pump();
    ASSERT_FALSE(got.empty());
    EXPECT_TRUE(got.back() & FileEvent::deleted);
}

TEST_F(LinuxFileWatchTest, FolderReportsEntryChangesOnly) {
    std::vector<uint32_t> got;
    auto source = files.watch(dir, FileEvent::all, recorder(got));
    ASSERT_TRUE(source);
    write(dir / "new", "x");
    pump();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], FileEvent::write);

    write(dir / "new", "more", true);  // contents of an entry: not the folder's business
    fs::permissions(dir / "new", fs::perms::owner_read, fs::perm_options::replace);
    pump();
    EXPECT_EQ(got.size(), 1u);

    fs::rename(dir / "new", dir / "renamed");
    pump();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1], FileEvent::write);
}

TEST_F(LinuxFileWatchTest, MaskFiltersWhatIsDelivered) {
    const auto file = dir / "f";
    write(file, "");
    std::vector<uint32_t> got;
    auto source = files.watch(file, FileEvent::deleted | FileEvent::renamed, recorder(got));
    write(file, "x", true);
    pump();
    EXPECT_TRUE(got.empty());
    fs::remove(file);
    pump();
    EXPECT_EQ(got, std::vector<uint32_t>{FileEvent::deleted});
}

TEST_F(LinuxFileWatchTest, NothingAfterCancelOrDrop) {
    const auto file = dir / "f";
    write(file, "");
    std::vector<uint32_t> a, b, c;
    auto sa = files.watch(file, FileEvent::all, recorder(a));
    auto sb = files.watch(file, FileEvent::all, recorder(b));
    auto sc = files.watch(file, FileEvent::all, recorder(c));
    write(file, "x", true);  // queued before the cancel
    sa->cancel();
    EXPECT_TRUE(sa->isCancelled());
    sb.reset();
    pump();
    EXPECT_TRUE(a.empty());
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(c.size(), 1u);  // the shared inotify watch lives on for the last one
    sc->cancel();
    write(file, "y", true);
    pump();
    EXPECT_EQ(c.size(), 1u);
}

TEST_F(LinuxFileWatchTest, HandlerMayCancelAnotherWatchOfTheSameBatch) {
    const auto f1 = dir / "1";
    const auto f2 = dir / "2";
    write(f1, "");
    write(f2, "");
    std::shared_ptr<FileWatchSource> second;
    std::vector<uint32_t> got2;
    int firstRuns = 0;
    auto first = files.watch(f1, FileEvent::all, [&](uint32_t) {
        ++firstRuns;
        second.reset();  // dropped while its own events wait in this batch
    });
    second = files.watch(f2, FileEvent::all, recorder(got2));
    write(f1, "x", true);
    write(f2, "x", true);
    pump();
    EXPECT_EQ(firstRuns, 1);
    EXPECT_TRUE(got2.empty());
}

TEST_F(LinuxFileWatchTest, MissingPathCannotBeWatchedAndStatusReadsTheFile) {
    EXPECT_EQ(files.watch(dir / "missing", FileEvent::all, [](uint32_t) {}), nullptr);
    EXPECT_EQ(files.status(dir / "missing"), FileStatus{});

    const auto file = dir / "f";
    write(file, "");
    const struct timespec times[2] = {{1'700'000'000, 250'000'000}, {1'700'000'000, 250'000'000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    const auto st = files.status(file);
    EXPECT_TRUE(st.exists);
    ASSERT_TRUE(st.modified);
    EXPECT_NEAR(*st.modified, 1'700'000'000.25, 1e-6);
}

}  // namespace
}  // namespace tessane::linux_backend
