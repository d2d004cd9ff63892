#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tessane {

// Where the application lives and what it is.
class Environment {
public:
    virtual ~Environment() = default;

    virtual std::filesystem::path homeFolder() const = 0;
    // Where the workspace list lives (linux: ~/.local/share/Tessane).
    virtual std::filesystem::path dataFolder() const = 0;
    // Where the log file lives (linux: ~/.local/state/Tessane).
    virtual std::filesystem::path logsFolder() const = 0;
    virtual std::filesystem::path tempFolder() const = 0;
    // Where our own help pages (<topic>.html) are. linux: "help" next to the executable (a
    // build), else <executable's folder>/../share/tessane/help (an installed layout).
    virtual std::filesystem::path helpFolder() const = 0;

    // The short version ("0.1.0") and build number; absent when unknown.
    virtual std::optional<std::string> shortVersion() const = 0;
    virtual std::optional<std::string> buildVersion() const = 0;

    // True when this process is the installed application, not a test or a development run.
    virtual bool runsAsInstalledApplication() const = 0;

    // Our own process identifier: the owner of our own windows in the window list.
    virtual int32_t processIdentifier() const = 0;

    virtual std::optional<std::string> variable(const std::string& name) const = 0;
};

}  // namespace tessane
