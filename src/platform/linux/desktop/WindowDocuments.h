#pragma once

#include "platform/AccessibilityValue.h"
#include "platform/linux/desktop/DocumentMatch.h"
#include "platform/linux/desktop/RecentDocuments.h"
#include "platform/linux/x11/X11Connection.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessane::linux_backend {

// The document a window shows (the AXDocument attribute), pieced together when it is asked for
// from what the desktop knows about the window's process (see DocumentMatch for the rules):
// - the files the process was started with (/proc/<pid>/cmdline read by its desktop entry's Exec
//   line, relative names taken from /proc/<pid>/cwd);
// - the files the desktop's recent-files lists say its application used (recently-used.xbel and
//   KDE's RecentDocuments in the user's data folder), each list parsed once per change of the
//   file or folder and only up to a size;
// - the files the process holds open (/proc/<pid>/fd, up to kMaxDescriptors).
// Each read is small and never waits on anything but the local file system.
class WindowDocuments {
public:
    // Where the desktop entry of a window's application is; none when it is not known.
    using EntryOf = std::function<std::optional<std::filesystem::path>(XWindowId window, Pid pid)>;
    using LogSink = std::function<void(const std::string&)>;
    struct Places {
        std::filesystem::path dataHome;  // $XDG_DATA_HOME: the recent-files lists
        std::filesystem::path home;      // what KDE's list writes as $HOME
        std::filesystem::path proc = "/proc";
    };

    // A recent-files list beyond this is not read: real ones are some hundred kilobytes, and one
    // of 4 MiB (some eight thousand files) is parsed in some tens of milliseconds, once per change.
    static constexpr size_t kRecentListLimit = size_t{4} << 20;
    static constexpr size_t kKdeEntryLimit = size_t{64} << 10;
    static constexpr size_t kMaxKdeEntries = 500;
    static constexpr size_t kMaxDescriptors = 1024;

    // Until configured, a window has no document.
    void configure(Places places, EntryOf entryOf, LogSink log = nullptr);

    // The file:// URL of the document that the window of `pid` titled `title` shows; none when
    // nothing names one with certainty.
    std::optional<std::string> documentURL(XWindowId window, Pid pid, const std::string& title);

private:
    struct Stamp {
        bool exists = false;
        int64_t modified = 0;  // nanoseconds
        uintmax_t size = 0, inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct CachedList {
        std::optional<Stamp> stamp;
        std::vector<linux_desktop::RecentFile> files;
        linux_desktop::FileNameIndex names;  // each file's name, by its place in `files`
        void index();
    };
    static Stamp stampOf(const std::filesystem::path& path);
    const CachedList& recentlyUsed();
    const CachedList& kdeRecent();
    std::optional<double> processStart(Pid pid);
    void log(const std::string& line) const;

    bool configured_ = false;
    Places places_;
    EntryOf entryOf_;
    LogSink log_;
    CachedList xbel_, kde_;
    std::optional<double> bootTime_;
};

}  // namespace tessane::linux_backend
