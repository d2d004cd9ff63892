#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessane {

// Replaces the file at `path` with `contents` so that a reader sees either the old or the new
// file, never a part: write a temporary file in the same folder, flush it to disk, rename it
// over. Creates the folder when missing. On failure returns false, leaves the old file as it
// was and puts the reason in `error` (when given).
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents,
                         std::string* error = nullptr);

// Moves a file that could not be read aside, next to it, as "<name>.unreadable-<yyyyMMdd-HHmmss>"
// so that the next save can't destroy it. Returns the new path, or an empty path on failure.
std::filesystem::path keepAside(const std::filesystem::path& path);

}  // namespace tessane
