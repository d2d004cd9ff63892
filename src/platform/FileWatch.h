#pragma once

#include "platform/MainQueue.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace tessane {

// What happened to a watched file or folder, as a bit mask.
namespace FileEvent {
inline constexpr uint32_t write = 0x1;   // contents written; for a folder: an entry added, removed or renamed
inline constexpr uint32_t attrib = 0x2;  // attributes (mode, owner, times, link count) changed
inline constexpr uint32_t extend = 0x4;  // the file grew
inline constexpr uint32_t deleted = 0x8; // the watched object was removed (or replaced by a rename onto it)
inline constexpr uint32_t renamed = 0x10;  // the watched object was renamed or moved away
inline constexpr uint32_t all = write | attrib | extend | deleted | renamed;
}  // namespace FileEvent

// A file's existence and modification time, as stat reports it.
struct FileStatus {
    bool exists = false;
    std::optional<TimeInterval> modified;  // seconds since 1970, with the nanoseconds
    bool operator==(const FileStatus&) const = default;
};

// One active watch. Cancelling it (or dropping the last reference to it) releases what the
// backend holds; after cancel() its handler never runs again, even for events already pending.
class FileWatchSource {
public:
    virtual ~FileWatchSource() = default;
    virtual void cancel() = 0;
    virtual bool isCancelled() const = 0;
};

// Watches of single files or folders, for hints that something changed.
//
// What a backend must do:
// - watch() follows the object that is at the path when it is called (the inode, not the name):
//   a file renamed away keeps being watched under its new name and reports `renamed`; a file
//   removed, or replaced by another file renamed onto its name, reports `deleted`.
// - A folder reports `write` when an entry in it is added, removed or renamed, not when the
//   contents of a file in it change.
// - Events are coalesced: the handler runs on the main thread with every event that arrived
//   since its last run, masked by the events asked for. Nothing is delivered after cancel().
// - watch() answers none when the path cannot be opened for watching (missing, no permission).
// (Linux: inotify, with the descriptor polled by the event loop.)
class FileWatch {
public:
    virtual ~FileWatch() = default;

    virtual std::shared_ptr<FileWatchSource> watch(const std::filesystem::path& path,
                                                   uint32_t events,
                                                   std::function<void(uint32_t events)> handler) = 0;

    // The file's status now; does not follow a watch.
    virtual FileStatus status(const std::filesystem::path& path) const = 0;
};

}  // namespace tessane
