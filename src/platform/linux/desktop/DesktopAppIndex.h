#pragma once

#include "platform/linux/desktop/DesktopEntry.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessane::linux_desktop {

// The installed applications' desktop entries, reduced to what tells which application a
// window belongs to, and the matching itself: one rule for every path that asks. The strongest
// evidence that names an entry decides, in this order:
// 1. the application id the toolkit publishes (_GTK_APPLICATION_ID, a GApplication's id, is its
//    desktop-file id; _KDE_NET_WM_DESKTOP_FILE names the file);
// 2. the app id a sandboxed process declares (Flatpak's is the desktop-file id, Snap's
//    "<snap>_<app>");
// 3. the startup id of a launch we made (the toolkit copies it to _NET_STARTUP_ID);
// 4. an entry's StartupWMClass equal to the WM_CLASS class or instance (exactly, then ignoring
//    ASCII case);
// 5. the WM_CLASS class or instance equal, ignoring ASCII case, to a desktop-file id or to the
//    last part of a reverse-DNS one ("Mousepad" names org.xfce.mousepad);
// 6. the process: an entry whose Exec program is the process's executable, its argv[0] or the
//    script an interpreter runs, and whose Exec arguments the process was given.
// Where several entries answer one rule, the best fit wins, never none: the one whose Exec
// arguments the process was given, then the one whose id names the program, then the one
// without arguments of its own (Mousepad, not its "mousepad --preferences" settings entry),
// then one shown in menus, then the earlier one in the index (the user's folders first).
class DesktopAppIndex {
public:
    struct App {
        std::string id;                 // the desktop-file id
        std::filesystem::path path;     // the entry
        std::optional<std::string> startupWMClass;
        std::vector<std::filesystem::path> programs;  // Exec's and TryExec's, resolved
        std::string programName;        // Exec's program as written, without its folder
        std::vector<std::string> arguments;  // Exec's own arguments (field codes left out)
        bool noDisplay = false;
        std::string name;               // localized Name, else the id
    };
    // What is known of a window and its process; anything may be missing.
    struct Evidence {
        std::optional<std::string> gtkApplicationId;
        std::optional<std::string> kdeDesktopFile;
        std::optional<std::string> startupId;
        std::optional<std::pair<std::string, std::string>> wmClass;  // (instance, class)
        std::optional<std::string> sandboxAppId;
        std::vector<std::filesystem::path> programs;  // executable, argv[0], script; resolved
        std::vector<std::string> arguments;           // argv[1...]
    };
    // Startup id of a launch we made -> the desktop-file id it launched.
    using Launches = std::map<std::string, std::string>;

    DesktopAppIndex() = default;
    explicit DesktopAppIndex(std::vector<App> apps) : apps_(std::move(apps)) {}

    // Builds one App from an entry; `searchPath` resolves program names (PATH's form).
    static App describe(const std::string& id, const std::filesystem::path& path, const DesktopEntry& entry,
                        const std::string& locale, const std::string& searchPath);

    const App* match(const Evidence& evidence, const Launches& launches = {}) const;
    const App* byId(const std::string& id) const;
    const std::vector<App>& apps() const { return apps_; }

private:
    std::vector<App> apps_;
};

}  // namespace tessane::linux_desktop
