#include "base/AtomicFile.h"
#include "base/FileRead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tessane {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tessane-atomic-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    static std::string text(const fs::path& p) {
        std::ifstream in(p);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::vector<fs::path> namesStarting(const std::string& prefix) const {
        std::vector<fs::path> out;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().filename().string().starts_with(prefix)) out.push_back(entry.path());
        return out;
    }
    fs::path dir;
};

// Another program's way of putting a file in place: a whole file renamed over the old one.
void putInPlace(const fs::path& file, const std::string& contents) {
    const fs::path temp = file.string() + ".theirs";
    std::ofstream(temp) << contents;
    fs::rename(temp, file);
}

TEST_F(AtomicFileTest, WritesKeepTheFilesPermissionsAndHonourTheUmask) {
    const auto modeOf = [](const fs::path& p) { return fs::status(p).permissions() & fs::perms::mask; };
    const mode_t previous = ::umask(077);
    const fs::path fresh = dir / "fresh.json";
    const bool written = writeFileAtomically(fresh, "new");
    ::umask(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(modeOf(fresh), fs::perms::owner_read | fs::perms::owner_write) << "a private user's file stays private";

    const fs::path kept = dir / "kept.json";
    ASSERT_TRUE(writeFileAtomically(kept, "first"));
    fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read, fs::perm_options::replace);
    ASSERT_TRUE(writeFileAtomically(kept, "second"));
    EXPECT_EQ(modeOf(kept), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(readRegularFile(kept, 100).contents(), "second");
}

TEST_F(AtomicFileTest, WritesOnTwoThreadsNeverOpenTheUmaskToOtherThreads) {
    // In memory where the system has it: writes cost next to nothing there, so many run while
    // a third thread creates files, as any other part of the program may.
    fs::path folder = dir;
    if (fs::is_directory("/dev/shm")) {
        folder = fs::path("/dev/shm") / ("tessane-umask-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    const mode_t previous = ::umask(077);
    std::atomic<bool> writing{true};
    std::atomic<int> tooOpen{0};
    std::thread creator([&] {
        const std::string probe = (folder / "probe").string();
        while (writing) {
            const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            struct stat st {};
            if (fd >= 0 && ::fstat(fd, &st) == 0 && (st.st_mode & 077) != 0) ++tooOpen;
            if (fd >= 0) ::close(fd);
            ::unlink(probe.c_str());
        }
    });
    const auto writer = [&](const std::string& name) {
        for (int i = 0; i < 1000; ++i) writeFileAtomically(folder / (name + std::to_string(i)), "x");
    };
    std::thread a(writer, "a"), b(writer, "b");
    a.join();
    b.join();
    writing = false;
    creator.join();
    const mode_t after = ::umask(previous);
    EXPECT_EQ(after, mode_t{077});
    EXPECT_EQ(tooOpen, 0) << "files made meanwhile were open to others";
    EXPECT_EQ(fs::status(folder / "a999").permissions() & fs::perms::mask, fs::perms::owner_read | fs::perms::owner_write);
    if (folder != dir) fs::remove_all(folder);
}

TEST_F(AtomicFileTest, AVersionAnotherProgramPutsInPlaceAtTheLastMomentIsKeptAsideNotDestroyed) {
    {
        std::ofstream(dir / "a") << "a";
        std::ofstream(dir / "b") << "b";
        if (::renameat2(AT_FDCWD, (dir / "a").c_str(), AT_FDCWD, (dir / "b").c_str(), RENAME_EXCHANGE) != 0)
            GTEST_SKIP() << "this file system can't exchange two names";
    }
    const fs::path file = dir / "workspaces.json";
    const auto first = writeFileKeepingOthers(file, "ours 1", std::nullopt, "outside");
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->keptAside.empty());
    EXPECT_EQ(fileStamp(file), first->written);
    // Our own file, as expected, goes without a copy.
    const auto second = writeFileKeepingOthers(file, "ours 2", first->written, "outside");
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->keptAside.empty());

    // Another program's version arrives after every look Tessane could take, just before ours.
    const auto third = writeFileKeepingOthers(file, "ours 3", second->written, "outside", nullptr,
                                              [&] { putInPlace(file, "theirs 1"); });
    ASSERT_TRUE(third);
    ASSERT_FALSE(third->keptAside.empty());
    EXPECT_EQ(text(third->keptAside), "theirs 1");
    EXPECT_EQ(text(file), "ours 3");

    // Also where no file was expected at all.
    fs::remove(file);
    const auto fourth = writeFileKeepingOthers(file, "ours 4", std::nullopt, "outside", nullptr,
                                               [&] { putInPlace(file, "theirs 2"); });
    ASSERT_TRUE(fourth);
    ASSERT_FALSE(fourth->keptAside.empty());
    EXPECT_EQ(text(fourth->keptAside), "theirs 2");
    EXPECT_EQ(text(file), "ours 4");
    // Nothing else is left behind: no temporary, no copy of our own files.
    EXPECT_EQ(namesStarting(".").size(), 0u);
    EXPECT_EQ(namesStarting("workspaces.json").size(), 3u);
}

TEST_F(AtomicFileTest, ARunningWritesTemporaryFileOutlivesACleanUpThatRemovesAKilledOnes) {
    const fs::path file = dir / "workspaces.json";
    std::ofstream(dir / ".workspaces.json.k1Ll3d") << "half";
    size_t removedMeanwhile = 99;
    const auto written = writeFileKeepingOthers(file, "whole", std::nullopt, "outside", nullptr,
                                                [&] { removedMeanwhile = removeStaleTemporaries(file); });
    ASSERT_TRUE(written);
    EXPECT_EQ(removedMeanwhile, 1u) << "the killed save's file only";
    EXPECT_EQ(text(file), "whole");
    EXPECT_TRUE(namesStarting(".").empty());
}

TEST_F(AtomicFileTest, VersionsKeptAsideAgainAndAgainKeepAFewTheNewestEachDifferent) {
    const fs::path file = dir / "workspaces.json";
    // Nine different versions, then the first three again.
    for (int i = 0; i < 12; ++i) {
        std::ofstream(file) << "[{\"half " << i % 9;
        ASSERT_FALSE(keepAside(file, "outside").empty());
    }
    std::ofstream(file) << "unreadable at start";
    ASSERT_FALSE(keepAside(file).empty());
    const auto copies = namesStarting("workspaces.json.outside-");
    ASSERT_EQ(copies.size(), kKeptAsideCopies);
    std::set<std::string> kept;
    for (const auto& copy : copies) kept.insert(text(copy));
    EXPECT_EQ(kept, (std::set<std::string>{"[{\"half 7", "[{\"half 8", "[{\"half 0", "[{\"half 1", "[{\"half 2"}));
    EXPECT_EQ(namesStarting("workspaces.json.unreadable-").size(), 1u) << "each reason keeps its own";
}

TEST_F(AtomicFileTest, KeepAsideNeverOverwritesAnEarlierCopy) {
    const fs::path file = dir / "workspaces.json";
    std::vector<fs::path> kept;
    for (const char* text : {"first", "second"}) {
        std::ofstream(file) << text;
        kept.push_back(keepAside(file));
    }
    ASSERT_FALSE(kept[0].empty());
    ASSERT_FALSE(kept[1].empty());
    EXPECT_NE(kept[0], kept[1]);
    EXPECT_TRUE(fs::exists(kept[0]) && fs::exists(kept[1]));
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(AtomicFileTest, KeepAsideInAFolderThatCannotBeLookedIntoFailsQuietly) {
    // A symbolic link to itself: every lookup below it fails with a loop error.
    fs::create_directory_symlink("loop", dir / "loop");
    fs::path aside;
    EXPECT_NO_THROW(aside = keepAside(dir / "loop" / "workspaces.json"));
    EXPECT_TRUE(aside.empty());
}

}  // namespace
}  // namespace tessane
