#pragma once

#include "platform/FileWatch.h"

#include <map>
#include <set>
#include <vector>

namespace tessane::sim {

// A small virtual file system with watches on it. Tests change files through it (write, touch,
// remove, rename) and its watches report those changes, coalesced and on the main queue, the
// way a real watch does: a watch follows the file it was opened on, not its name.
class SimFileWatch final : public FileWatch {
public:
    explicit SimFileWatch(MainQueue& queue) : queue_(queue) {}
    ~SimFileWatch() override;

    std::shared_ptr<FileWatchSource> watch(const std::filesystem::path& path, uint32_t events,
                                           std::function<void(uint32_t)> handler) override;
    FileStatus status(const std::filesystem::path& path) const override;

    // --- the simulated file system (missing parent folders are made as needed) ---
    void createFolder(const std::filesystem::path& path);
    // Creates or rewrites a file; its modification time becomes `modified`, or else the clock's
    // now (a rewrite always moves it later).
    void writeFile(const std::filesystem::path& path,
                   std::optional<TimeInterval> modified = std::nullopt);
    // Changes attributes only (permissions, owner); the modification time stays.
    void touchAttributes(const std::filesystem::path& path);
    void removeFile(const std::filesystem::path& path);
    // Moves a file; a file already at `to` is replaced (its watches see it deleted).
    void renameFile(const std::filesystem::path& from, const std::filesystem::path& to);
    // Watching this path fails as if it could not be opened.
    void setUnwatchable(const std::filesystem::path& path, bool unwatchable = true);

    // Watches not yet cancelled.
    size_t activeWatchCount() const;
    // How often watch() was asked for this path (successful or not).
    int watchRequests(const std::filesystem::path& path) const;

private:
    struct Node {
        uint64_t inode = 0;
        bool folder = false;
        TimeInterval modified = 0;
    };
    struct Source;

    Node& ensureFolder(const std::filesystem::path& path);
    void entryChanged(const std::filesystem::path& folder);
    void emit(uint64_t inode, uint32_t events);

    MainQueue& queue_;
    std::map<std::filesystem::path, Node> nodes_;
    std::set<std::filesystem::path> unwatchable_;
    std::map<std::filesystem::path, int> watchRequests_;
    std::vector<std::weak_ptr<Source>> sources_;
    uint64_t nextInode_ = 1;
};

}  // namespace tessane::sim
