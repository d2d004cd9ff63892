#include "platform/linux/apps/PickableApps.h"

#include <algorithm>

namespace tessane::linux_desktop {
namespace fs = std::filesystem;

namespace {

// A desktop entry's list value: "XFCE;GNOME;" -> {"XFCE", "GNOME"}.
std::vector<std::string> list(const DesktopEntry& entry, const std::string& key) {
    std::vector<std::string> out;
    std::string item;
    for (char c : entry.value(key).value_or("") + ";") {
        if (c != ';') {
            item.push_back(c);
        } else if (!item.empty()) {
            out.push_back(std::move(item));
            item.clear();
        }
    }
    return out;
}

bool contains(const std::vector<std::string>& values, const std::string& value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

bool shares(const std::vector<fs::path>& a, const std::vector<fs::path>& b) {
    return std::any_of(a.begin(), a.end(), [&](const fs::path& p) { return std::find(b.begin(), b.end(), p) != b.end(); });
}

}  // namespace

PickableApp PickableApp::describe(const std::string& id, const fs::path& path, const DesktopEntry& entry,
                                  std::vector<fs::path> programs) {
    PickableApp app;
    app.id = id;
    app.path = path;
    app.noDisplay = entry.boolean("NoDisplay");
    app.hidden = entry.boolean("Hidden");
    app.onlyShowIn = list(entry, "OnlyShowIn");
    app.notShowIn = list(entry, "NotShowIn");
    app.categories = list(entry, "Categories");
    for (const char* desktop : {"GNOME", "MATE"}) {
        const std::string prefix = std::string("X-") + desktop + "-";
        if (contains(list(entry, prefix + "Provides"), "windowmanager") ||
            entry.value(prefix + "Autostart-Phase") == "WindowManager" || entry.value(prefix + "WMName"))
            app.windowManager = true;
    }
    app.programs = std::move(programs);
    return app;
}

std::vector<fs::path> PickableApp::choosable(const std::vector<PickableApp>& apps,
                                             const std::vector<std::string>& currentDesktops,
                                             const fs::path& ownProgram) {
    auto shown = [&](const PickableApp& a) {
        if (a.noDisplay || a.hidden || a.windowManager || a.id == "tessane") return false;
        if (!ownProgram.empty() && std::find(a.programs.begin(), a.programs.end(), ownProgram) != a.programs.end())
            return false;
        auto current = [&](const std::vector<std::string>& desktops) {
            return std::any_of(currentDesktops.begin(), currentDesktops.end(),
                               [&](const std::string& d) { return contains(desktops, d); });
        };
        if (!a.onlyShowIn.empty() && !current(a.onlyShowIn)) return false;
        return !current(a.notShowIn);
    };
    auto isSettings = [](const PickableApp& a) { return contains(a.categories, "Settings"); };

    std::vector<const PickableApp*> listed;
    for (const auto& a : apps)
        if (shown(a)) listed.push_back(&a);
    std::vector<fs::path> out;
    for (const PickableApp* a : listed) {
        const bool preferencesOfAnother = isSettings(*a) && std::any_of(listed.begin(), listed.end(), [&](const PickableApp* b) {
            return b != a && !isSettings(*b) && shares(a->programs, b->programs);
        });
        if (!preferencesOfAnother) out.push_back(a->path);
    }
    return out;
}

}  // namespace tessane::linux_desktop
