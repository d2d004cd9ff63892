#pragma once

#include "platform/MachineFacts.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessane::linux_backend {

// The machine as the diagnostics report names it, read from the files every Linux system has.
namespace LinuxMachineFacts {

struct Kernel {
    std::string release;  // uname -r
    std::string machine;  // uname -m
};

// This machine, now.
MachineFacts read();
// The same under another root folder (for tests), with the kernel's answers given.
MachineFacts read(const std::filesystem::path& root, const Kernel& kernel);

// The value of KEY in an os-release text (shell-style quoting), none when absent.
std::optional<std::string> osReleaseValue(std::string_view text, std::string_view key);

}  // namespace LinuxMachineFacts

}  // namespace tessane::linux_backend
