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
//
// A build that is not installed (run from its build folder) must not take links from an
// installed Tessane: where an installed entry of ours exists it writes none, and takes back the
// one it wrote before (the installed entry, of the same name, then answers). An installed
// program replaces a user's entry that starts a build that is not installed, or one that is gone.
// An entry whose Tessane is gone (a package since purged) answers no link: any build replaces it,
// or removes it where an installed entry would answer.
struct SchemeHandlerRegistration {
    enum class Outcome { alreadyPresent, registered, leftToInstalled, failed };

    struct Setup {
        std::filesystem::path applicationsFolder;  // $XDG_DATA_HOME/applications
        // Where installed entries are: $XDG_DATA_DIRS/applications, most important first.
        std::vector<std::filesystem::path> installedFolders;
        std::filesystem::path program;  // the running executable
        bool installed = false;         // the running executable is an installed build
        // Runs a command detached; false when it could not be started.
        std::function<bool(const std::vector<std::string>& argv)> run;
    };

    Outcome outcome = Outcome::alreadyPresent;
    std::filesystem::path entryFile;
    // registered: the program the entry started before, if any; leftToInstalled: the gone
    // program whose entry was removed (empty when it was this build's own entry)
    std::filesystem::path replacedProgram;
    bool replacedProgramGone = false;       // registered: the program replaced is no longer there
    std::filesystem::path installedEntry;   // leftToInstalled: the installed entry that answers
    std::string error;                      // failed only

    static constexpr const char* kEntryName = "tessane.desktop";
    static constexpr const char* kMimeType = "x-scheme-handler/tessane";

    // The setup for this user and this program, running commands with ProcessLauncher.
    static Setup forThisUser();
    static SchemeHandlerRegistration ensure(const Setup& setup);

    // The start-up's line; empty when nothing was done.
    std::string logLine() const;
};

}  // namespace tessane::linux_backend
