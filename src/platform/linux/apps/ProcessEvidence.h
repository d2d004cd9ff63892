#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane::linux_backend {

// What a process says about which application it is, read from /proc once per process: its
// executable, argv[0] and the script an interpreter runs (each resolved as the desktop entries'
// programs are), its arguments, and the app id of a sandbox it runs in.
struct ProcessEvidence {
    std::vector<std::filesystem::path> programs;
    std::vector<std::string> arguments;  // argv[1...]
    std::optional<std::string> sandboxAppId;

    // Nothing is known of a process that has gone or is not ours to read.
    static ProcessEvidence read(int pid, const std::string& searchPath);

    // Flatpak puts its apps in scopes "app-flatpak-<app id>-<instance>.scope" and Snap in
    // "snap.<snap>.<app>[-.]<uuid>.scope", whose desktop-file id is "<snap>_<app>".
    static std::optional<std::string> sandboxAppIdFromCgroup(std::string_view cgroup);
    // FLATPAK_ID, for Flatpak apps outside a scope of their own (read only for a program that
    // is not on our file system).
    static std::optional<std::string> sandboxAppIdFromEnviron(std::string_view environ);
    // The programs named by an executable and a command line (NUL-separated, as /proc has it).
    static ProcessEvidence fromCommandLine(const std::optional<std::filesystem::path>& executable,
                                           std::string_view commandLine, const std::string& searchPath);
};

}  // namespace tessane::linux_backend
