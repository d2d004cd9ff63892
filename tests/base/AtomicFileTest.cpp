#include "base/AtomicFile.h"
#include "base/FileRead.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
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
    fs::path dir;
};

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
