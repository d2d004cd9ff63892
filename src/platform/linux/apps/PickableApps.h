#pragma once

#include "platform/linux/desktop/DesktopEntry.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tessane::linux_desktop {

// The installed applications a user may put in a pane, out of every application entry. Left out:
// - entries that menus don't show: NoDisplay, Hidden, OnlyShowIn without one of the current
//   desktops ($XDG_CURRENT_DESKTOP, "XFCE:GNOME"), NotShowIn with one of them;
// - Tessane itself (its own id, or an entry that runs our own program);
// - a window manager's session entries (X-GNOME-Provides=windowmanager, an Autostart-Phase of
//   WindowManager, a WMName);
// - settings entries (Categories has Settings) that run a program another listed entry runs: the
//   app's own preferences, such as "mousepad --preferences" beside Mousepad.
struct PickableApp {
    std::string id;
    std::filesystem::path path;
    bool noDisplay = false;
    bool hidden = false;
    std::vector<std::string> onlyShowIn, notShowIn, categories;
    bool windowManager = false;
    std::vector<std::filesystem::path> programs;  // resolved, as DesktopAppIndex has them

    static PickableApp describe(const std::string& id, const std::filesystem::path& path, const DesktopEntry& entry,
                                std::vector<std::filesystem::path> programs);

    // The entries of `apps` a user may choose, in their order. `currentDesktops` is
    // $XDG_CURRENT_DESKTOP's list; `ownProgram` our executable, resolved.
    static std::vector<std::filesystem::path> choosable(const std::vector<PickableApp>& apps,
                                                        const std::vector<std::string>& currentDesktops,
                                                        const std::filesystem::path& ownProgram);
};

}  // namespace tessane::linux_desktop
