#pragma once

#include "platform/linux/desktop/DesktopEntry.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tessane::linux_desktop {

// The desktop's lists of recently used files, as plain records.
//
// - The freedesktop list ("recently-used.xbel" in the user's data folder, the XBEL format that
//   GTK and GLib write): one <bookmark href="file:///..."> per file, with the applications that
//   used it (<bookmark:application name="Mousepad" exec="'mousepad %u'" modified="<ISO 8601>"/>,
//   or an older "timestamp" in seconds).
// - KDE's list: one small desktop file per document in "RecentDocuments" of the data folder
//   (URL=file:///..., X-KDE-LastOpenedWith=<program>); when it was used is the file's time.
struct RecentFile {
    struct Use {
        std::string name;  // the application's name as it gave it
        std::string exec;  // how to run it ("'mousepad %u'"), may be empty
        double time = 0;   // when it last used the file, seconds since the epoch
    };
    std::string path;  // local files only
    std::vector<Use> uses;
};

struct RecentlyUsedList {
    std::vector<RecentFile> files;
    // Why the text stops being readable, for a log line; the files before it are kept.
    std::optional<std::string> error;
};

RecentlyUsedList parseRecentlyUsed(std::string_view xbel);

// One entry of KDE's list, used at `time`; none when it names no local file. `home` stands in
// for the $HOME it may name.
std::optional<RecentFile> parseKdeRecentDocument(std::string_view text, double time, const std::string& home);

// "2026-12-07T15:34:26.224693Z" (or with a "+01:00" offset) in seconds since the epoch.
std::optional<double> parseIsoTime(std::string_view text);

// The names an application goes by in those lists, lower case: its desktop-file id ("org.xfce.
// mousepad") and that id's last part, its Name, and the program names of its Exec, TryExec and
// StartupWMClass.
std::set<std::string> applicationNames(const std::string& desktopId, const DesktopEntry& entry);
// Whether a use is the application's: its name or its exec's program is one of `names`.
bool usedBy(const RecentFile::Use& use, const std::set<std::string>& names);

}  // namespace tessane::linux_desktop
