#pragma once

#include <filesystem>

namespace tessane::linux_backend {

// Whether a program at `program` is installed: <prefix>/bin/<program> with <prefix>/share/tessane
// beside it, whatever the prefix (/usr, /usr/local, /opt/..., ~/.local). The one rule for launch
// at login, the link handler and the start's warning about where the program runs from.
bool isInstalledLayout(const std::filesystem::path& program);

}  // namespace tessane::linux_backend
