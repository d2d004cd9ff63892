#include "platform/linux/desktop/IconThemeIndex.h"
#include "platform/linux/desktop/IconThemeLookup.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace tessane::linux_desktop {
namespace {

namespace fs = std::filesystem;

IconThemeIndex parse(const std::string& text) {
    std::istringstream in(text);
    return IconThemeIndex::parse(in);
}

const IconThemeIndex::Directory* directory(const IconThemeIndex& index, const std::string& path) {
    for (const auto& d : index.directories)
        if (d.path == path) return &d;
    return nullptr;
}

// Sizes as large as a value may be compute exactly; what is no whole number in range counts as
// absent, and a folder without a usable Size is left out.
TEST(IconThemeIndexTest, SizesUpToTheLargestComputeExactlyAndBadValuesCountAsAbsent) {
    const auto index = parse(
        "[Icon Theme]\nDirectories=huge,wide,scalable,odd,12px,negative,zero,empty\n"
        "[huge]\nSize=65536\nScale=65536\nType=Fixed\n"
        "[wide]\nSize=65536\nThreshold=65536\nScale=65536\n"
        "[scalable]\nSize=1\nMinSize=0\nMaxSize=65536\nType=Scalable\n"
        "[odd]\nSize= 32 \nScale=99999999999999999999\nMinSize=abc\nMaxSize=1e9\nThreshold=-1\n"
        "[12px]\nSize=12px\n[negative]\nSize=-3\n[zero]\nSize=0\n[empty]\nType=Fixed\n");
    ASSERT_EQ(index.directories.size(), 4u);

    const auto* huge = directory(index, "huge");
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->distance(16), 65536LL * 65536 - 16);
    EXPECT_EQ(huge->distance(INT_MAX), 65536LL * 65536 - INT_MAX);
    EXPECT_FALSE(huge->matches(65536)) << "made for scale 65536, not 1";

    const auto* wide = directory(index, "wide");
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->distance(INT_MAX), 0);  // 0 .. 131072 x 65536 pixels
    EXPECT_EQ(wide->distance(-5), 5);

    const auto* scalable = directory(index, "scalable");
    ASSERT_TRUE(scalable);
    EXPECT_TRUE(scalable->matches(0));
    EXPECT_TRUE(scalable->matches(65536));
    EXPECT_FALSE(scalable->matches(65537));
    EXPECT_EQ(scalable->distance(INT_MAX), int64_t{INT_MAX} - 65536);

    const auto* odd = directory(index, "odd");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->size, 32);
    EXPECT_EQ(odd->scale, 1);
    EXPECT_EQ(odd->minSize, 32);
    EXPECT_EQ(odd->maxSize, 32);
    EXPECT_EQ(odd->threshold, 2);
    EXPECT_EQ(odd->type, IconThemeIndex::Directory::Type::threshold);
    EXPECT_TRUE(odd->matches(30));
    EXPECT_FALSE(odd->matches(35));
    EXPECT_EQ(odd->distance(40), 6);
}

// A theme names only folders below its own and plain theme names; whatever would leave them is
// ignored, and the rest of the theme still works.
class IconThemeLookupTest : public ::testing::Test {
protected:
    IconThemeLookupTest() {
        root = fs::temp_directory_path() / ("tessane-icons-" + std::to_string(std::random_device{}()));
        // Icons that a hostile index would like to reach, each outside the icon folder.
        for (const char* folder : {"secret", "abs/dir", "outside/48"}) write(root / folder / "x.png", "outside");
        write(root / "outside/index.theme", "[Icon Theme]\nDirectories=48\n[48]\nSize=48\n");
        write(root / "icons/evil/index.theme",
              "[Icon Theme]\nInherits=../outside," + (root / "outside").string() + ",.,..,good\n"
              "Directories=../../secret," + (root / "abs/dir").string() + ",apps/../../../secret,48/apps\n"
              "ScaledDirectories=../x\n"
              "[../../secret]\nSize=48\n[" + (root / "abs/dir").string() + "]\nSize=48\n"
              "[apps/../../../secret]\nSize=48\n[../x]\nSize=48\nScale=2\n[48/apps]\nSize=48\n");
        write(root / "icons/evil/48/apps/own.png", "own");
        write(root / "icons/good/index.theme", "[Icon Theme]\nDirectories=48\n[48]\nSize=48\n");
        write(root / "icons/good/48/inherited.png", "inherited");
    }
    ~IconThemeLookupTest() override { fs::remove_all(root); }

    static void write(const fs::path& p, const std::string& text) {
        fs::create_directories(p.parent_path());
        std::ofstream(p) << text;
    }
    IconThemeLookup lookup(const std::string& theme) const { return {{root / "icons"}, {}, theme}; }

    fs::path root;
};

TEST_F(IconThemeLookupTest, FoldersAndThemesOutsideTheIconFoldersAreIgnored) {
    std::ifstream in(root / "icons/evil/index.theme");
    const auto index = IconThemeIndex::parse(in);
    ASSERT_EQ(index.directories.size(), 1u);
    EXPECT_EQ(index.directories[0].path, "48/apps");
    EXPECT_EQ(index.inherits, std::vector<std::string>{"good"});

    const auto evil = lookup("evil");
    EXPECT_EQ(evil.find("x", 48), std::nullopt);
    EXPECT_EQ(evil.find("own", 48), root / "icons/evil/48/apps/own.png");
    EXPECT_EQ(evil.find("inherited", 48), root / "icons/good/48/inherited.png");
    EXPECT_EQ(evil.find(std::string("own.png\0", 8), 48), std::nullopt) << "the system would see own.png";
    // The user's theme setting is held to the same rule.
    EXPECT_EQ(lookup("../outside").find("x", 48), std::nullopt);
    EXPECT_EQ(lookup((root / "outside").string()).find("x", 48), std::nullopt);
}

// An index that is no small text (a sparse file far past any real theme's) is no theme at all:
// the lookup goes on to the theme it would otherwise shadow instead of reading it.
TEST_F(IconThemeLookupTest, AnIndexBeyondASmallTextIsNoTheme) {
    write(root / "more/good/index.theme", "[Icon Theme]\nDirectories=48\n[48]\nSize=48\n");
    write(root / "more/good/48/app.png", "app");
    fs::create_directories(root / "icons/good");
    fs::resize_file(root / "icons/good/index.theme", std::uintmax_t{64} << 20);
    const IconThemeLookup both{{root / "icons", root / "more"}, {}, "good"};
    EXPECT_EQ(both.find("app", 48), root / "more/good/48/app.png");
}

}  // namespace
}  // namespace tessane::linux_desktop
