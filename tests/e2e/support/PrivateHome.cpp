#include "e2e/support/PrivateHome.h"

#include "model/WorkspaceStore.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <random>

namespace tessane::e2e {

namespace fs = std::filesystem;

PrivateHome::PrivateHome(std::string client, User user)
    : client_(std::move(client)), root_(fs::temp_directory_path() / ("tessane-e2e-" + std::to_string(std::random_device{}()))) {
    for (const char* folder : {"home", "config", "data/applications", "state", "cache", "system", "run", "tmp"})
        fs::create_directories(root_ / folder);
    fs::permissions(root_ / "run", fs::perms::owner_all);
    set("HOME", (root_ / "home").c_str());
    set("XDG_CONFIG_HOME", (root_ / "config").c_str());
    set("XDG_DATA_HOME", (root_ / "data").c_str());
    set("XDG_STATE_HOME", (root_ / "state").c_str());
    set("XDG_CACHE_HOME", (root_ / "cache").c_str());
    set("XDG_DATA_DIRS", (root_ / "system").c_str());
    set("XDG_RUNTIME_DIR", (root_ / "run").c_str());
    // A Tessane also locks <temporary folder>/tessane-<uid> once that exists; a shared one would
    // make the runs of parallel cases, and a real Tessane of this user, one another's.
    set("TMPDIR", (root_ / "tmp").c_str());
    // Neither bus: the program says so and goes on; Qt keeps no connection alive past a run.
    set("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tessane-no-bus");
    set("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    if (user == User::returning) {
        fs::create_directories(root_ / "config/Tessane");
        std::ofstream(root_ / "config/Tessane/preferences.json") << R"({"TessaneHasSeenOnboarding": true})" << "\n";
    }
}

PrivateHome::~PrivateHome() {
    std::error_code ec;
    fs::remove_all(root_, ec);
    for (const auto& [name, value] : saved_) {
        if (value) setenv(name.c_str(), value->c_str(), 1);
        else unsetenv(name.c_str());
    }
}

void PrivateHome::set(const char* name, const std::string& value) {
    const char* before = std::getenv(name);
    saved_.emplace_back(name, before ? std::optional<std::string>(before) : std::nullopt);
    setenv(name, value.c_str(), 1);
}

std::vector<std::string> PrivateHome::clientArguments(const std::string& name) {
    std::string lower = name;
    for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return {"--class", lower + "." + name + "App", "--title", name};
}

void PrivateHome::installApp(const std::string& name, const std::vector<std::string>& extra) const {
    std::string exec = client_;
    for (const auto& a : clientArguments(name)) exec += " " + a;
    for (const auto& a : extra) exec += " " + a;
    std::ofstream(root_ / "data/applications" / (bundleID(name) + ".desktop"))
        << "[Desktop Entry]\nType=Application\nName=" << name << "\nStartupWMClass=" << name << "App\nExec=" << exec << "\n";
}

Workspace PrivateHome::workspace(const std::string& name, const std::vector<std::string>& appNames) const {
    Workspace w;
    w.name = name;
    w.layout.type = appNames.size() >= 4 ? LayoutType::grid2x2 : LayoutType::leftRightSplit;
    for (const auto& appName : appNames) {
        ManagedApp app;
        app.displayName = appName;
        app.bundleIdentifier = bundleID(appName);
        app.appPath = (root_ / "data/applications" / (bundleID(appName) + ".desktop")).string();
        w.apps.push_back(app);
    }
    if (!w.apps.empty()) {
        w.apps.front().role = AppRole::primary;
        w.primaryAppID = w.apps.front().id;
        w.primaryAppBundleIdentifier = w.apps.front().bundleIdentifier;
    }
    return w;
}

void PrivateHome::storeWorkspaces(const std::vector<Workspace>& workspaces) const {
    WorkspaceStore(dataFolder()).save(workspaces);
}

std::vector<Workspace> PrivateHome::longList(const Workspace& first, size_t count) const {
    std::vector<Workspace> list{first};
    list.reserve(count);
    while (list.size() < count) {
        Workspace w = first;
        w.id = Uuid::random();
        w.name = "Workspace " + std::to_string(list.size() + 1);
        for (auto& app : w.apps) app.id = Uuid::random();
        if (!w.apps.empty()) w.primaryAppID = w.apps.front().id;
        list.push_back(std::move(w));
    }
    return list;
}

}  // namespace tessane::e2e
