#pragma once

#include "model/Workspace.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessane::e2e {

// A user of our own for a whole-program run: a temporary home with its XDG folders (made and set in
// this process's environment, so that children inherit them), desktop entries whose programs are
// test clients, and the stored workspace list. Removed on destruction, the environment as it was.
class PrivateHome {
public:
    // `client`: the test-client program the desktop entries start. A returning user has seen the
    // welcome panel already, so it doesn't open over the windows the test places.
    enum class User { returning, fresh };
    explicit PrivateHome(std::string client, User user = User::returning);
    ~PrivateHome();
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path dataFolder() const { return root_ / "data/Tessane"; }
    std::filesystem::path workspacesFile() const { return dataFolder() / "workspaces.json"; }
    std::filesystem::path preferencesFile() const { return root_ / "config/Tessane/preferences.json"; }

    static std::string bundleID(const std::string& name) { return "org.tessane." + name; }
    // The test client's arguments for application `name`: window class <name>App, title <name>.
    static std::vector<std::string> clientArguments(const std::string& name);
    // A desktop entry org.tessane.<name> that starts the test client with `extra` arguments too.
    void installApp(const std::string& name, const std::vector<std::string>& extra = {}) const;
    // A workspace of installed applications, the first one primary; two apps split left and right,
    // four make a 2 x 2 grid.
    Workspace workspace(const std::string& name, const std::vector<std::string>& appNames) const;
    void storeWorkspaces(const std::vector<Workspace>& workspaces) const;
    // `first`, then more workspaces ("Workspace 2", ...) of the same apps up to `count` in all:
    // a list far longer than any user keeps.
    std::vector<Workspace> longList(const Workspace& first, size_t count) const;

private:
    std::string client_;
    std::filesystem::path root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;  // the variables set, as they were
    void set(const char* name, const std::string& value);
};

}  // namespace tessane::e2e
