#pragma once

#include "platform/Environment.h"

namespace tessane::linux_backend {

// XDG base directories: data in $XDG_DATA_HOME/Tessane (~/.local/share/Tessane), logs in
// $XDG_STATE_HOME/Tessane (~/.local/state/Tessane). The version and build come from the build.
class LinuxEnvironment final : public Environment {
public:
    // `isApplication` is true for the tessane executable itself. Even then, a process started by
    // the test runner (TESSANE_UNDER_TEST set) does not count as the installed application, so
    // tests never write the user's log file.
    explicit LinuxEnvironment(bool isApplication);

    std::filesystem::path homeFolder() const override;
    std::filesystem::path dataFolder() const override;
    std::filesystem::path logsFolder() const override;
    std::filesystem::path tempFolder() const override;
    std::filesystem::path helpFolder() const override;
    // ~/.config/Tessane, where the preferences file lives.
    std::filesystem::path configFolder() const;
    std::optional<std::string> shortVersion() const override;
    std::optional<std::string> buildVersion() const override;
    bool runsAsInstalledApplication() const override;
    int32_t processIdentifier() const override;
    std::optional<std::string> variable(const std::string& name) const override;

    // The help folder for a program at `executable`: "help" beside it when that folder exists,
    // else the installed layout's <folder>/../share/tessane/help.
    static std::filesystem::path helpFolderFor(const std::filesystem::path& executable);

private:
    std::filesystem::path xdgFolder(const char* variable, const char* fallback) const;
    bool isApplication_;
};

}  // namespace tessane::linux_backend
