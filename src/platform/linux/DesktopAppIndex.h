#pragma once

#include "platform/linux/DesktopEntry.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessane::linux_desktop {

// The installed applications' desktop entries, reduced to what tells which application a
// window belongs to, and the matching itself. A window is matched, in this order, by:
// 1. an entry's StartupWMClass equal to the window's WM_CLASS class or instance;
// 2. the WM_CLASS instance or class equal, ignoring ASCII case, to a desktop-file id or to an
//    entry's StartupWMClass;
// 3. the executable of the window's process equal to the program of exactly one entry's Exec
//    or TryExec, or of exactly one such entry shown in menus (several apps running one program,
//    an interpreter say, tell nothing).
// Where several entries match one way, an entry that is shown in menus beats one with
// NoDisplay, then the earlier one in the index (the user's folders first).
class DesktopAppIndex {
public:
    struct App {
        std::string id;                 // the desktop-file id
        std::filesystem::path path;     // the entry
        std::optional<std::string> startupWMClass;
        std::vector<std::filesystem::path> programs;  // Exec's and TryExec's, resolved
        bool noDisplay = false;
        std::string name;               // localized Name, else the id
    };
    struct WindowFacts {
        std::optional<std::pair<std::string, std::string>> wmClass;  // (instance, class)
        std::optional<std::filesystem::path> executable;             // /proc/<pid>/exe
    };

    DesktopAppIndex() = default;
    explicit DesktopAppIndex(std::vector<App> apps) : apps_(std::move(apps)) {}

    // Builds one App from an entry; `searchPath` resolves program names (PATH's form).
    static App describe(const std::string& id, const std::filesystem::path& path, const DesktopEntry& entry,
                        const std::string& locale, const std::string& searchPath);

    const App* match(const WindowFacts& facts) const;
    const App* byId(const std::string& id) const;
    const std::vector<App>& apps() const { return apps_; }

private:
    std::vector<App> apps_;
};

}  // namespace tessane::linux_desktop
