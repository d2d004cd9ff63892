#pragma once

#include "platform/Environment.h"

namespace tessane::sim {

// Folders below one root folder (a fresh temporary folder per test); everything settable.
class SimEnvironment final : public Environment {
public:
    // Creates a unique temporary root when `root` is empty; removes it on destruction if it made it.
    explicit SimEnvironment(std::filesystem::path root = {});
    ~SimEnvironment() override;

    std::filesystem::path homeFolder() const override { return root_ / "home"; }
    std::filesystem::path dataFolder() const override { return root_ / "data"; }
    std::filesystem::path logsFolder() const override { return root_ / "logs"; }
    std::filesystem::path tempFolder() const override { return root_ / "tmp"; }
    std::filesystem::path helpFolder() const override { return root_ / "help"; }
    std::optional<std::string> shortVersion() const override { return shortVersion_; }
    std::optional<std::string> buildVersion() const override { return build_; }
    bool runsAsInstalledApplication() const override { return installed_; }
    int32_t processIdentifier() const override { return pid_; }
    // The simulated desktop's process has no environment variables.
    std::optional<std::string> variable(const std::string&) const override { return std::nullopt; }

    const std::filesystem::path& root() const { return root_; }
    void setVersion(std::optional<std::string> shortVersion, std::optional<std::string> build) {
        shortVersion_ = std::move(shortVersion);
        build_ = std::move(build);
    }
    void setRunsAsInstalledApplication(bool v) { installed_ = v; }
    // Our own process in the simulated desktop (no simulated application uses it by default).
    void setProcessIdentifier(int32_t pid) { pid_ = pid; }

private:
    std::filesystem::path root_;
    bool ownsRoot_ = false;
    std::optional<std::string> shortVersion_ = "1.0";
    std::optional<std::string> build_ = "1";
    bool installed_ = false;
    int32_t pid_ = 1;
};

}  // namespace tessane::sim
