#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessane {

// Which file a path holds, as far as telling our own writes from another program's goes: a
// replaced file is a new inode, an edit in place moves the size or the modification time.
struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at `path`; none when there is none (or it can't be looked at).
std::optional<FileStamp> fileStamp(const std::filesystem::path& path);

// Replaces the file at `path` with `contents` so that a reader sees either the old or the new
// file, never a part: write a temporary file in the same folder, flush it to disk, rename it
// over. Creates the folder when missing. On failure returns false, leaves the old file as it
// was and puts the reason in `error` (when given).
//
// `beforeReplace`, when given, runs once the new file is whole on disk, just before it replaces
// the old one, with the stamp the new file will have at `path`.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents,
                         std::string* error = nullptr,
                         const std::function<void(const FileStamp& written)>& beforeReplace = {});

// Moves a file aside, next to it, as "<name>.<why>-<yyyyMMdd-HHmmss>" (a file that could not be
// read, or another program's version that ours replaces) so that the next save can't destroy
// it. Returns the new path, or an empty path on failure.
std::filesystem::path keepAside(const std::filesystem::path& path, const std::string& why = "unreadable");

}  // namespace tessane
