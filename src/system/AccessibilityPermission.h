#pragma once

#include "platform/Accessibility.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessane {

// Everything around the permission to control other applications' windows: the check with
// its prompt, a record of who and where this process is, the one log line that states them,
// and the help that tells the user how to get the permission.
//
// On Linux "trusted" means window control is available (an X connection and an EWMH window
// manager); there is no privacy pane to open, so openSystemSettings() opens the help page that
// explains what is needed.
class AccessibilityPermission final {
public:
    // Who this process is, as the platform tells it.
    struct Identity {
        std::optional<std::string> bundleIdentifier;  // the desktop-file id
        std::string bundlePath;                       // the folder the program runs from
        std::optional<std::string> executablePath;
        std::string processName;
        int32_t pid = 0;
        bool runsAsInstalledApplication = false;      // not a test or a development run
        // Runs from an installed layout (<prefix>/bin with <prefix>/share/tessane), whatever the
        // prefix: the Linux counterpart of running from the Applications folder.
        bool installed = false;
    };

    struct Diagnostics {
        bool isTrusted = false;
        std::string bundleIdentifier;  // "(none)" when absent
        std::string bundlePath;
        std::string executablePath;  // "(none)" when absent
        std::string processName;
        int32_t pid = 0;
        bool isRunningFromBundle = false;
        bool isRunningFromApplications = false;

        std::string logLine() const;
        bool operator==(const Diagnostics&) const = default;
    };

    static constexpr std::string_view kHelpURL = "help:tessane/window-control";

    // `openURL` hands a link to the desktop's handler (the Applications port's openURL) and
    // answers whether it could; without one, openSystemSettings() does nothing.
    using OpenURL = std::function<bool(const std::string&)>;
    AccessibilityPermission(Accessibility& accessibility, std::function<Identity()> identity,
                            OpenURL openURL = {});

    // Read fresh on every call, the trust check included.
    Diagnostics diagnostics() const;
    // "[Tessane][AX] <context>: <diagnostics line>"
    void logDiagnostics(std::string_view context) const;
    // True when trusted. Otherwise asks the desktop to prompt the user, logs the diagnostics
    // and answers false.
    bool ensureTrusted() const;
    // Opens the window-control help; logs a line when it cannot be handed over.
    void openSystemSettings() const;

private:
    Accessibility& ax_;
    std::function<Identity()> identity_;
    OpenURL openURL_;
};

}  // namespace tessane
