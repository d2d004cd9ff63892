#pragma once

#include "platform/LoginItems.h"

#include <filesystem>

namespace tessane::linux_backend {

// Launch at login as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/tessane.desktop. The
// item is enabled when that file exists and is not Hidden=true (the XDG way of switching an
// entry off); registering writes it, unregistering removes it.
class XdgAutostart final : public LoginItems {
public:
    struct Setup {
        std::filesystem::path entryFile;  // .../autostart/tessane.desktop
        std::filesystem::path program;    // the executable the entry starts
        bool installed = false;           // the program is an installed build
    };

    explicit XdgAutostart(Setup setup) : setup_(std::move(setup)) {}

    // The entry of this user ($XDG_CONFIG_HOME, else ~/.config) for the running program.
    static XdgAutostart forThisProgram();

    bool isBundled() const override { return setup_.installed; }
    std::string bundlePath() const override { return setup_.program.parent_path().string(); }
    Status status() const override;
    std::optional<std::string> registerItem() override;
    std::optional<std::string> unregisterItem() override;

private:
    Setup setup_;
};

}  // namespace tessane::linux_backend
