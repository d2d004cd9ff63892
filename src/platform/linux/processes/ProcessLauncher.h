#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessane::linux_backend {

// Starts other programs the way a desktop launches applications: detached from us (a session of
// their own, not our child, so they outlive us and we never reap them), with standard input on
// /dev/null and our environment with the startup-notification id of this launch in place of ours
// (so the new program never claims the focus on our behalf). Standard output and error stay
// ours, where the session's journal picks them up.
class ProcessLauncher {
public:
    struct Result {
        int pid = 0;      // the started program's process, when it started
        int error = 0;    // errno when it did not
        std::string description;  // for people, when it did not
        bool ok() const { return error == 0 && pid > 0; }
    };

    // Runs argv[0] (a path, or a name looked up in PATH) with the other arguments in
    // `workingDirectory` (the home folder when that is empty or missing), with DESKTOP_STARTUP_ID
    // set to `startupId` (unset when empty). Answers once the program has been executed, or why
    // it could not be.
    static Result launchDetached(const std::vector<std::string>& argv,
                                 const std::filesystem::path& workingDirectory,
                                 const std::string& startupId = {});

    // Where a program name leads through `searchPath` (PATH's form); a name with a slash is
    // taken as it is. Only executable regular files count.
    static std::optional<std::filesystem::path> findProgram(const std::string& name,
                                                            const std::string& searchPath);
    // PATH, or the usual folders when it is unset.
    static std::string searchPath();
};

}  // namespace tessane::linux_backend
