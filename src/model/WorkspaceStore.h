#pragma once

#include "model/Workspace.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tessane {

class Environment;

// Knows where the stored workspace list lives ("workspaces.json" in the data folder; linux:
// ~/.local/share/Tessane) and reads and writes it.
class WorkspaceStore {
public:
    static constexpr const char* kFileName = "workspaces.json";

    // Uses `directory` unchanged. Nothing is created on disk until the first save.
    explicit WorkspaceStore(std::filesystem::path directory);
    // The store of the running application: the environment's data folder.
    static WorkspaceStore inDataFolder(const Environment& environment);

    const std::filesystem::path& directoryURL() const { return directory_; }
    const std::filesystem::path& fileURL() const { return file_; }

    // Writes the whole list as a sorted-key JSON array, atomically (a temporary file renamed over
    // the old one), creating the folder when needed. A failure is logged ("Failed to save
    // workspaces: ...") and otherwise ignored: the caller's list keeps the change and the next
    // save writes it all again.
    void save(const std::vector<Workspace>& workspaces) const;

    // The stored list; empty, silently, when there is no file. A file that can't be read or
    // decoded is logged, then moved aside (".unreadable-<time stamp>" next to it, logged too) so
    // that the next save can't destroy what may still be recovered, and the list starts empty.
    std::vector<Workspace> load() const;

private:
    // Saves come often and the encoded list is large only with many icons: its buffer is kept
    // between saves up to this size, so a save doesn't have to fault in fresh memory each time.
    static constexpr size_t kKeptBufferBytes = 256u << 20;

    std::filesystem::path directory_;
    std::filesystem::path file_;
    mutable std::string buffer_;
};

}  // namespace tessane
