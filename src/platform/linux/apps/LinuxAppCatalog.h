#pragma once

#include "platform/Applications.h"
#include "platform/linux/desktop/DesktopEntry.h"
#include "platform/linux/desktop/IconThemeLookup.h"

#include <functional>
#include <map>
#include <set>
#include <vector>

namespace tessane {

class Environment;

// The installed applications of an XDG desktop: desktop entries in the "applications" folders of
// $XDG_DATA_HOME and $XDG_DATA_DIRS. An application's bundle identifier is its desktop-file id
// (the path below "applications" with '/' as '-', without ".desktop": "org.gnome.TextEditor"),
// its path the .desktop file, its name the entry's Name, its icon the entry's Icon found in the
// icon themes. Looking an application up accepts its id with or without the ".desktop" suffix.
//
// A bookmark is a small JSON text holding the entry's path, its desktop-file id and the device
// and inode of the file. It resolves to: the same file at the old path; else the same file
// (device and inode) anywhere in the applications folders, which follows a rename or move within
// one file system; else whatever entry now stands at the old path (a package update replaces the
// file); else an entry of the same file name in another applications folder (an app that moved
// between the user's and the system's folders).
class LinuxAppCatalog final : public AppCatalog {
public:
    // Renders an image file (PNG, SVG, XPM) into a side x side PNG; supplied by the Qt layer.
    using IconRenderer = std::function<std::optional<Bytes>(const std::filesystem::path& imageFile, int side)>;

    struct Folders {
        std::filesystem::path dataHome;                // $XDG_DATA_HOME, ~/.local/share
        std::vector<std::filesystem::path> dataDirs;   // $XDG_DATA_DIRS, /usr/local/share:/usr/share
        std::filesystem::path home;
        std::string iconTheme;                         // the user's icon theme, when known
        std::string locale;                            // LC_ALL / LC_MESSAGES / LANG
        std::vector<std::string> currentDesktops;      // $XDG_CURRENT_DESKTOP ("XFCE", ...)
    };

    // The folders, locale and icon theme (GTK's setting) of the user running us.
    static Folders foldersFor(const Environment& environment);

    using LogSink = std::function<void(const std::string&)>;

    // `log` hears of entries and bookmarks that are ignored because they can't be read.
    LinuxAppCatalog(Folders folders, IconRenderer renderer, LogSink log = nullptr);

    std::string applicationExtension() const override { return "desktop"; }
    std::optional<BundleInfo> bundleAt(const std::filesystem::path& path) const override;
    bool fileExists(const std::filesystem::path& path) const override;
    std::optional<std::filesystem::path> urlForApplication(const std::string& bundleIdentifier) const override;
    std::optional<Bytes> makeBookmark(const std::filesystem::path& path) const override;
    std::optional<std::filesystem::path> resolveBookmark(const Bytes& bookmark) const override;
    std::optional<Bytes> iconPNG(const std::filesystem::path& path, int side) const override;

    // The desktop-file id of the entry at `path`.
    std::string desktopFileId(const std::filesystem::path& path) const;

    // Every installed application as (desktop-file id, path of its entry), each id once: the
    // entry of the most important folder, as urlForApplication chooses it (an id whose winning
    // entry is hidden or not an application is left out).
    std::vector<std::pair<std::string, std::filesystem::path>> applicationEntries() const;
    const Folders& folders() const { return folders_; }
    // The entries of applicationEntries() a user may put in a pane (PickableApp's rules).
    std::vector<std::filesystem::path> choosableApplications() const;

private:
    // The "applications" folders, most important first.
    std::vector<std::filesystem::path> applicationFolders() const;
    // Every .desktop file below the applications folders, most important folder first.
    template <typename F>
    std::optional<std::filesystem::path> findEntry(F&& matches) const;

    // The image file of the entry at `path`'s icon for `side`: its own, else the generic one
    // (`generic` then set).
    std::optional<std::filesystem::path> iconImage(const std::filesystem::path& path, int side, bool* generic) const;
    // A desktop entry, its failure to read logged (once per file).
    std::optional<linux_desktop::DesktopEntry> readEntry(const std::filesystem::path& path) const;

    Folders folders_;
    IconRenderer renderer_;
    LogSink log_;
    mutable std::set<std::string> reportedEntries_;
    linux_desktop::IconThemeLookup icons_;
    // Icons made before, by entry and side, with the change times of the entry and of the image
    // they were made from: every show puts its apps' icons on its chrome, and rendering an image
    // (an SVG mostly) costs tens of milliseconds each time. Either file changed: made again. An
    // icon not found, or stood in for by the generic one, is looked for again each time (an
    // install may bring it).
    struct MadeIcon {
        std::filesystem::file_time_type entryChanged;
        std::filesystem::path image;
        std::filesystem::file_time_type imageChanged;
        Bytes png;
    };
    mutable std::map<std::pair<std::string, int>, MadeIcon> madeIcons_;
};

}  // namespace tessane
