#include "platform/linux/apps/LinuxAppCatalog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace tessane {
namespace {

namespace fs = std::filesystem;

// A private XDG world: a user data folder and one system data folder with an icon theme.
class LinuxAppCatalogTest : public ::testing::Test {
protected:
    LinuxAppCatalogTest() {
        root = fs::temp_directory_path() / ("tessane-apps-" + std::to_string(std::random_device{}()));
        fs::create_directories(root);
        folders.home = root / "home";
        folders.dataHome = root / "home/.local/share";
        folders.dataDirs = {root / "usr/share"};
        folders.locale = "de_DE.UTF-8";
        write(root / "usr/share/icons/hicolor/index.theme",
              "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps,128x128/apps,scalable/apps\n\n"
              "[48x48/apps]\nSize=48\nType=Fixed\n\n[128x128/apps]\nSize=128\nType=Fixed\n\n"
              "[scalable/apps]\nSize=128\nMinSize=8\nMaxSize=512\nType=Scalable\n");
        write(root / "usr/share/icons/hicolor/48x48/apps/org.example.Editor.png", "small");
        write(root / "usr/share/icons/hicolor/128x128/apps/org.example.Editor.png", "right size");
        write(root / "usr/share/icons/hicolor/48x48/apps/only-small.png", "small");
        write(systemApps() / "org.example.Editor.desktop",
              "# comment\n[Desktop Entry]\nType=Application\nName=Editor\nName[de]=Bearbeiter\nIcon=org.example.Editor\n"
              "Exec=editor %F\n\n[Desktop Action new]\nName=Ignored\n");
    }
    ~LinuxAppCatalogTest() override { fs::remove_all(root); }

    static void write(const fs::path& p, const std::string& text) {
        fs::create_directories(p.parent_path());
        std::ofstream(p) << text;
    }
    fs::path systemApps() const { return root / "usr/share/applications"; }
    fs::path userApps() const { return root / "home/.local/share/applications"; }

    LinuxAppCatalog catalog() {
        return LinuxAppCatalog(folders, [this](const fs::path& file, int side) -> std::optional<Bytes> {
            rendered.push_back(file);
            return Bytes(static_cast<size_t>(side), 1);
        });
    }

    fs::path root;
    LinuxAppCatalog::Folders folders;
    std::vector<fs::path> rendered;
};

TEST_F(LinuxAppCatalogTest, DesktopEntriesAreApplicationsNamedByTheirDesktopFileId) {
    write(systemApps() / "kde/tool.desktop", "[Desktop Entry]\nType=Application\nName=Tool\n");
    write(systemApps() / "link.desktop", "[Desktop Entry]\nType=Link\nName=Link\nURL=https://example.com\n");
    write(systemApps() / "gone.desktop", "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n");
    write(systemApps() / "broken.desktop", "Name=No group\n");
    auto apps = catalog();

    const auto editor = apps.bundleAt(systemApps() / "org.example.Editor.desktop");
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->bundleIdentifier, "org.example.Editor");
    EXPECT_EQ(editor->displayName, "Bearbeiter");
    EXPECT_EQ(editor->bundleName, "Editor");
    EXPECT_EQ(apps.bundleAt(systemApps() / "kde/tool.desktop")->bundleIdentifier, "kde-tool");
    for (const char* name : {"link.desktop", "gone.desktop", "broken.desktop", "missing.desktop"})
        EXPECT_FALSE(apps.bundleAt(systemApps() / name)) << name;

    EXPECT_EQ(apps.applicationExtension(), "desktop");
    EXPECT_EQ(apps.iconPNG(systemApps() / "org.example.Editor.desktop", 128), Bytes(128, 1));
    EXPECT_EQ(rendered.back(), root / "usr/share/icons/hicolor/128x128/apps/org.example.Editor.png")
        << "the directory made for 128 px wins over the 48 px one";
}

TEST_F(LinuxAppCatalogTest, TheUsersFolderWinsAndCanHideASystemEntry) {
    auto apps = catalog();
    EXPECT_EQ(apps.urlForApplication("org.example.Editor"), systemApps() / "org.example.Editor.desktop");
    write(userApps() / "org.example.Editor.desktop", "[Desktop Entry]\nType=Application\nName=Mine\n");
    EXPECT_EQ(apps.urlForApplication("org.example.Editor"), userApps() / "org.example.Editor.desktop");
    write(userApps() / "org.example.Editor.desktop", "[Desktop Entry]\nType=Application\nName=Mine\nHidden=true\n");
    EXPECT_FALSE(apps.urlForApplication("org.example.Editor"));
    write(userApps() / "kde/tool.desktop", "[Desktop Entry]\nType=Application\nName=Tool\n");
    EXPECT_EQ(apps.urlForApplication("kde-tool"), userApps() / "kde/tool.desktop");
    EXPECT_FALSE(apps.urlForApplication("org.example.Nothing"));
}

TEST_F(LinuxAppCatalogTest, AnApplicationIsFoundByItsIdWithOrWithoutTheDesktopSuffix) {
    write(systemApps() / "debian-xterm.desktop", "[Desktop Entry]\nType=Application\nName=XTerm\n");
    write(systemApps() / "kde/tool.desktop", "[Desktop Entry]\nType=Application\nName=Tool\n");
    auto apps = catalog();
    EXPECT_EQ(apps.urlForApplication("debian-xterm"), systemApps() / "debian-xterm.desktop");
    EXPECT_EQ(apps.urlForApplication("debian-xterm.desktop"), systemApps() / "debian-xterm.desktop");
    EXPECT_EQ(apps.urlForApplication("kde-tool.desktop"), systemApps() / "kde/tool.desktop");
    for (const char* nothing : {".desktop", "debian-xterm.desktop.desktop", "debian-xterm.Desktop", ""})
        EXPECT_FALSE(apps.urlForApplication(nothing)) << nothing;
}

TEST_F(LinuxAppCatalogTest, ABookmarkFollowsAMovedEntry) {
    auto apps = catalog();
    const fs::path original = systemApps() / "org.example.Editor.desktop";
    const auto bookmark = apps.makeBookmark(original);
    ASSERT_TRUE(bookmark);
    EXPECT_EQ(apps.resolveBookmark(*bookmark), original);

    // Renamed in place and moved to the user's folder: the same file is found.
    const fs::path renamed = userApps() / "editor-renamed.desktop";
    fs::create_directories(userApps());
    fs::rename(original, renamed);
    EXPECT_EQ(apps.resolveBookmark(*bookmark), renamed);

    // A package update puts a new file at the old place: that one counts.
    write(original, "[Desktop Entry]\nType=Application\nName=Editor 2\n");
    fs::remove(renamed);
    EXPECT_EQ(apps.resolveBookmark(*bookmark), original);

    // Gone from the old place but present under its name in another applications folder.
    fs::remove(original);
    write(userApps() / "org.example.Editor.desktop", "[Desktop Entry]\nType=Application\nName=Editor\n");
    EXPECT_EQ(apps.resolveBookmark(*bookmark), userApps() / "org.example.Editor.desktop");

    fs::remove(userApps() / "org.example.Editor.desktop");
    EXPECT_FALSE(apps.resolveBookmark(*bookmark));
    EXPECT_FALSE(apps.resolveBookmark(Bytes{'{', '}'}));
    EXPECT_FALSE(apps.resolveBookmark(Bytes{0xFF, 0x00}));
    EXPECT_FALSE(apps.makeBookmark(root / "missing.desktop"));
}

TEST_F(LinuxAppCatalogTest, IconsComeFromTheThemeAtTheNearestSize) {
    write(systemApps() / "small.desktop", "[Desktop Entry]\nType=Application\nName=S\nIcon=only-small\n");
    write(systemApps() / "abs.desktop",
          "[Desktop Entry]\nType=Application\nName=A\nIcon=" + (root / "art/a.svg").string() + "\n");
    write(root / "art/a.svg", "<svg/>");
    write(systemApps() / "none.desktop", "[Desktop Entry]\nType=Application\nName=N\nIcon=not-anywhere\n");
    auto apps = catalog();

    EXPECT_TRUE(apps.iconPNG(systemApps() / "small.desktop", 128));
    EXPECT_EQ(rendered.back(), root / "usr/share/icons/hicolor/48x48/apps/only-small.png");
    EXPECT_TRUE(apps.iconPNG(systemApps() / "abs.desktop", 128));
    EXPECT_EQ(rendered.back(), root / "art/a.svg");
    EXPECT_FALSE(apps.iconPNG(systemApps() / "none.desktop", 128)) << "no icon and no generic one in this world";
    write(root / "usr/share/icons/hicolor/scalable/apps/application-x-executable.svg", "<svg/>");
    EXPECT_TRUE(apps.iconPNG(systemApps() / "none.desktop", 128));
    EXPECT_EQ(rendered.back(), root / "usr/share/icons/hicolor/scalable/apps/application-x-executable.svg");
}

// Every show puts its apps' icons up again: an icon is made once, and again only when its entry
// or its image changed; one that stands in (the generic icon) is looked for afresh each time.
TEST_F(LinuxAppCatalogTest, AnIconIsMadeOnceUntilItsEntryOrItsImageChanges) {
    const fs::path entry = systemApps() / "org.example.Editor.desktop";
    const fs::path image = root / "usr/share/icons/hicolor/128x128/apps/org.example.Editor.png";
    write(root / "usr/share/icons/hicolor/scalable/apps/application-x-executable.svg", "<svg/>");
    write(systemApps() / "none.desktop", "[Desktop Entry]\nType=Application\nName=N\nIcon=not-anywhere\n");
    auto apps = catalog();
    const auto later = [](const fs::path& p) { fs::last_write_time(p, fs::last_write_time(p) + std::chrono::seconds(5)); };

    EXPECT_EQ(apps.iconPNG(entry, 128), Bytes(128, 1));
    EXPECT_EQ(apps.iconPNG(entry, 128), Bytes(128, 1));
    EXPECT_EQ(rendered.size(), 1u);
    EXPECT_EQ(apps.iconPNG(entry, 64), Bytes(64, 1));  // another side is another icon
    EXPECT_EQ(rendered.size(), 2u);
    later(image);
    EXPECT_TRUE(apps.iconPNG(entry, 128));
    EXPECT_EQ(rendered.size(), 3u);
    write(entry, "[Desktop Entry]\nType=Application\nName=Editor\nIcon=only-small\n");
    later(entry);
    EXPECT_TRUE(apps.iconPNG(entry, 128));
    EXPECT_EQ(rendered.back(), root / "usr/share/icons/hicolor/48x48/apps/only-small.png");

    EXPECT_TRUE(apps.iconPNG(systemApps() / "none.desktop", 128));
    write(root / "usr/share/icons/hicolor/128x128/apps/not-anywhere.png", "its own");
    EXPECT_TRUE(apps.iconPNG(systemApps() / "none.desktop", 128));
    EXPECT_EQ(rendered.back(), root / "usr/share/icons/hicolor/128x128/apps/not-anywhere.png");
}

}  // namespace
}  // namespace tessane
