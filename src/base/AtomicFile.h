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
// file, never a part: write a temporary file in the same folder (".<name>.XXXXXX"), flush it to
// disk, rename it over. Creates the folder when missing. The replaced file's permissions are
// kept; a new file gets what creating it gives under the process's umask, which is never changed
// (other threads create files meanwhile). On failure returns false, leaves the old file as it
// was and puts the reason in `error` (when given).
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents,
                         std::string* error = nullptr);

// What writeFileKeepingOthers() did.
struct KeptReplace {
    FileStamp written;                // the new file's, at the path
    std::filesystem::path keptAside;  // another version found in its place, kept; empty: none
};

// writeFileAtomically() for a file that other programs may replace too. Ours takes the file's
// place in the same step that takes the file out (an exchange of the two names, where the file
// system has one), so whatever another program put there at any moment is seen: unless it is
// `expected` (the file as we last read or wrote it; none: no file was expected) it is kept
// aside as by keepAside(path, why) rather than destroyed. Where the file system can't exchange,
// the file is compared just before a plain rename (one written between those two steps is
// lost: nothing else can be had there). None on failure, with the old file left in place.
//
// `beforeReplace`, when given, runs once the new file is whole on disk, just before it takes
// the file's place.
std::optional<KeptReplace> writeFileKeepingOthers(const std::filesystem::path& path, std::string_view contents,
                                                  const std::optional<FileStamp>& expected, const std::string& why,
                                                  std::string* error = nullptr,
                                                  const std::function<void()>& beforeReplace = {});

// Removes the temporary files that writes to `path` left behind when they were cut short (a
// killed process), never one a running write (of this or another process) still holds.
// Returns how many were removed.
size_t removeStaleTemporaries(const std::filesystem::path& path);

// Moves a file aside, next to it, as "<name>.<why>-<yyyyMMdd-HHmmss>" (a file that could not be
// read, or another program's version that ours replaces) so that the next save can't destroy
// it. Only the newest few copies of each `why` are kept, each different: an older copy with the
// same bytes goes. Returns the new path, or an empty path on failure.
std::filesystem::path keepAside(const std::filesystem::path& path, const std::string& why = "unreadable");

// How many copies keepAside() keeps of one file for one reason.
inline constexpr size_t kKeptAsideCopies = 5;

}  // namespace tessane
