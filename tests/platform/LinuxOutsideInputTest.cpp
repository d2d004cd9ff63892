// Desktop entries, bookmarks and stored records as a broken or hostile desktop may hand them
// over: special files where entries should be, huge files, bookmarks that decode to the wrong
// types.
#include "base/Base64.h"
#include "model/Log.h"
#include "model/WorkspaceManager.h"
#include "model/WorkspaceStore.h"
#include "platform/linux/desktop/DesktopBookmark.h"
#include "platform/linux/desktop/DesktopEntry.h"
#include "platform/linux/apps/LinuxAppCatalog.h"
#include "platform/sim/SimEnvironment.h"
#include "platform/sim/SimSystemLog.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tessane {
namespace {

namespace fs = std::filesystem;
using linux_desktop::DesktopBookmark;
using linux_desktop::DesktopEntry;

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

TEST(DesktopBookmarkTest, OnlyWhatEncodeWritesDecodes) {
    const DesktopBookmark b{"/usr/share/applications/org.example.Editor.desktop", "org.example.Editor", 2049, 77};
    EXPECT_EQ(DesktopBookmark::decode(b.encode()), b);

    const std::string kind = R"("kind":"tessane-desktop-entry-bookmark")";
    const std::string rest = R"("path":"/a.desktop","device":1,"inode":2)";
    const std::string notWhole = R"("device" or "inode" is not a whole number)";
    struct Case {
        std::string text;
        std::string why;
    };
    const Case cases[] = {
        {R"({"kind":1})", R"("kind" is not "tessane-desktop-entry-bookmark")"},
        {R"({"kind":null})", R"("kind" is not "tessane-desktop-entry-bookmark")"},
        {R"({"kind":["tessane-desktop-entry-bookmark"]})", R"("kind" is not "tessane-desktop-entry-bookmark")"},
        {R"({"kind":{}})", R"("kind" is not "tessane-desktop-entry-bookmark")"},
        {"[" + kind.substr(7) + "]", "not a JSON object"},
        {"\"text\"", "not a JSON object"},
        {"{", "not JSON"},
        {"\xFF", "not JSON"},
        {"{" + kind + R"(,"path":7,"device":1,"inode":2})", R"("path" is not an absolute path)"},
        {"{" + kind + R"(,"path":"a.desktop","device":1,"inode":2})", R"("path" is not an absolute path)"},
        {"{" + kind + R"(,"path":"/a\u0000.desktop","device":1,"inode":2})", R"("path" is not an absolute path)"},
        {"{" + kind + R"(,"path":"","device":1,"inode":2})", R"("path" is not an absolute path)"},
        {"{" + kind + R"(,"path":"/a.desktop","device":-1,"inode":2})", notWhole},
        {"{" + kind + R"(,"path":"/a.desktop","device":1,"inode":2.5})", notWhole},
        {"{" + kind + R"(,"path":"/a.desktop","device":"1","inode":2})", notWhole},
        {"{" + kind + R"(,"path":"/a.desktop","inode":2})", notWhole},
        {"{" + kind + R"(,"path":"/a.desktop","device":1,"inode":1e400})", "not JSON"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(DesktopBookmark::decode(bytesOf(c.text), &why)) << c.text;
        EXPECT_EQ(why, c.why) << c.text;
    }
    // The id only informs: a bad one is dropped, the bookmark kept.
    const auto noId = DesktopBookmark::decode(bytesOf("{" + kind + "," + rest + R"(,"id":[1]})"));
    ASSERT_TRUE(noId);
    EXPECT_EQ(noId->id, "");
    EXPECT_EQ(noId->inode, 2u);
}

// A private XDG world whose catalogue logs what it ignores.
class LinuxOutsideInputTest : public ::testing::Test {
protected:
    LinuxOutsideInputTest() {
        folders.home = environment.root() / "home";
        folders.dataHome = folders.home / ".local/share";
        folders.dataDirs = {environment.root() / "usr/share"};
        fs::create_directories(apps());
    }

    fs::path apps() const { return folders.dataDirs[0] / "applications"; }
    fs::path write(const fs::path& p, const std::string& text) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    fs::path sparse(const fs::path& p, off_t size) {
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
        return p;
    }
    LinuxAppCatalog catalog() {
        auto render = [](const fs::path&, int side) -> std::optional<Bytes> {
            return Bytes(static_cast<size_t>(side), 1);
        };
        return LinuxAppCatalog(folders, render, [this](const std::string& line) { logged.push_back(line); });
    }

    sim::SimEnvironment environment;
    LinuxAppCatalog::Folders folders;
    std::vector<std::string> logged;
};

TEST_F(LinuxOutsideInputTest, SpecialAndHugeFilesNamedLikeEntriesAreSkippedWithoutWaitingOrReading) {
    write(apps() / "good.desktop", "[Desktop Entry]\nType=Application\nName=Good\n");
    ASSERT_EQ(::mkfifo((apps() / "fifo.desktop").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", apps() / "zero.desktop");
    sparse(apps() / "sparse.desktop", off_t{4} << 30);
    // Just over the limit, with a valid entry at its start.
    write(apps() / "big.desktop", "[Desktop Entry]\nType=Application\nName=Big\n#" + std::string(1 << 20, 'x') + "\n");
    auto catalog = this->catalog();

    const auto entries = catalog.applicationEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first, "good");
    for (const char* name : {"fifo.desktop", "zero.desktop", "sparse.desktop", "big.desktop"}) {
        EXPECT_FALSE(catalog.bundleAt(apps() / name)) << name;
        EXPECT_FALSE(catalog.iconPNG(apps() / name, 128)) << name;
        EXPECT_FALSE(catalog.urlForApplication(fs::path(name).stem().string())) << name;
    }
    // Read directly, special files are refused on the open descriptor.
    std::string why;
    EXPECT_FALSE(DesktopEntry::read(apps() / "fifo.desktop", &why));
    EXPECT_EQ(why, "not a regular file");
    EXPECT_FALSE(DesktopEntry::read(apps() / "zero.desktop", &why));
    EXPECT_EQ(why, "not a regular file");
    EXPECT_FALSE(DesktopEntry::read(apps() / "none.desktop", &why));
    EXPECT_EQ(why, "") << "no file is not a fault";

    // Each oversized entry is logged once, however often the folders are read.
    catalog.applicationEntries();
    EXPECT_EQ(logged, (std::vector<std::string>{
                          "[Tessane] Ignoring the desktop entry " + (apps() / "big.desktop").string() +
                              ": larger than the limit of 1048576 bytes.",
                          "[Tessane] Ignoring the desktop entry " + (apps() / "sparse.desktop").string() +
                              ": larger than the limit of 1048576 bytes.",
                          // found by their id when asked for by it
                          "[Tessane] Ignoring the desktop entry " + (apps() / "fifo.desktop").string() +
                              ": not a regular file.",
                          "[Tessane] Ignoring the desktop entry " + (apps() / "zero.desktop").string() +
                              ": not a regular file.",
                      }));
}

TEST_F(LinuxOutsideInputTest, ABookmarkOfTheWrongShapeIsIgnoredAndLogged) {
    const fs::path entry = write(apps() / "org.example.Editor.desktop", "[Desktop Entry]\nType=Application\nName=E\n");
    auto catalog = this->catalog();
    EXPECT_FALSE(catalog.resolveBookmark(bytesOf(R"({"kind":1})")));
    EXPECT_FALSE(catalog.resolveBookmark(
        bytesOf(R"({"kind":"tessane-desktop-entry-bookmark","path":"relative.desktop","device":1,"inode":1})")));
    EXPECT_EQ(logged, (std::vector<std::string>{
                          "[Tessane] Ignoring an app bookmark that can't be read: \"kind\" is not "
                          "\"tessane-desktop-entry-bookmark\".",
                          "[Tessane] Ignoring an app bookmark that can't be read: \"path\" is not an absolute path.",
                      }));
    // A bookmark of a huge file resolves (nothing is read); opening the bundle there then fails.
    const fs::path huge = sparse(apps() / "huge.desktop", off_t{4} << 30);
    const auto bookmark = catalog.makeBookmark(huge);
    ASSERT_TRUE(bookmark);
    EXPECT_EQ(catalog.resolveBookmark(*bookmark), huge);
    EXPECT_FALSE(catalog.bundleAt(huge));
    EXPECT_TRUE(catalog.bundleAt(entry));
}

TEST_F(LinuxOutsideInputTest, ABadBookmarkInTheStoredListNeitherStopsTheStartNorLosesTheApp) {
    sim::SimSystemLog systemLog;
    Log::resetForTesting();
    Log::configure(&systemLog, &environment);
    const fs::path icon = write(environment.root() / "art/editor.png", "png");
    const fs::path entry = write(apps() / "org.example.Editor.desktop",
                                 "[Desktop Entry]\nType=Application\nName=E\nIcon=" + icon.string() + "\n");
    Workspace ws;
    ws.name = "Work";
    ManagedApp app;
    app.displayName = "Editor";
    app.bundleIdentifier = "org.example.Editor";
    app.appURLBookmark = base64Decode("eyJraW5kIjoxfQ==");  // {"kind":1}
    ASSERT_EQ(app.appURLBookmark, bytesOf(R"({"kind":1})"));
    app.appPath = entry.string();
    app.iconData = Bytes(200'001, 7);  // oversized: the load-time repair resolves the app
    ws.apps.push_back(app);
    const WorkspaceStore store(environment.dataFolder());
    store.save({ws});
    auto catalog = this->catalog();

    std::unique_ptr<WorkspaceManager> manager;
    ASSERT_NO_THROW(manager = std::make_unique<WorkspaceManager>(store, catalog));
    ASSERT_EQ(manager->workspaces().get().size(), 1u);
    const ManagedApp& loaded = manager->workspaces().get()[0].apps[0];
    EXPECT_EQ(loaded.iconData, Bytes(128, 1)) << "found by its stored path, the icon was rendered again";
    EXPECT_EQ(loaded.bundleIdentifier, "org.example.Editor");
    ASSERT_FALSE(logged.empty());
    for (const auto& line : logged)
        EXPECT_NE(line.find("Ignoring an app bookmark that can't be read"), std::string::npos) << line;
    Log::configure(nullptr, nullptr);
    Log::resetForTesting();
}

}  // namespace
}  // namespace tessane
