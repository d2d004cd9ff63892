#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tessane::linux_backend {

// Makes this user's desktop hand tessane: links to us: when the user has no entry of ours in
// their applications folder yet, writes one (Exec naming the running program, MimeType
// x-scheme-handler/tessane) and asks xdg-mime to make it the scheme's handler. Runs at start-up;
// once the entry exists it does nothing, so the registration is made and logged once.
struct SchemeHandlerRegistration {
    enum class Outcome { alreadyPresent, registered, failed };

    struct Setup {
        std::filesystem::path applicationsFolder;  // $XDG_DATA_HOME/applications
        std::filesystem::path program;             // the running executable
        // Runs a command detached; false when it could not be started.
        std::function<bool(const std::vector<std::string>& argv)> run;
    };

    Outcome outcome = Outcome::alreadyPresent;
    std::filesystem::path entryFile;
    std::string error;  // failed only

    static constexpr const char* kEntryName = "tessane.desktop";
    static constexpr const char* kMimeType = "x-scheme-handler/tessane";

    // The setup for this user and this program, running commands with ProcessLauncher.
    static Setup forThisUser();
    static SchemeHandlerRegistration ensure(const Setup& setup);

    // The start-up's line; empty when nothing was done.
    std::string logLine() const;
};

}  // namespace tessane::linux_backend
