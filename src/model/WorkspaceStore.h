#pragma once

#include "base/AtomicFile.h"
#include "model/Workspace.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
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

    // What one write did.
    struct Written {
        std::optional<std::string> error;  // the failure, as logged; none: saved
        std::optional<FileStamp> stamp;    // the new file's, when saved
        // Another program's version of the file, found where ours was expected and kept aside
        // under this name before ours replaced it; empty when there was none.
        std::filesystem::path keptAside;
    };

    // Writes the whole list as a sorted-key JSON array, atomically (a temporary file that takes
    // the old one's place), creating the folder when needed. A failure is logged ("Failed to save
    // workspaces: ...") and otherwise ignored: the caller's list keeps the change and the next
    // save writes it all again. When the file replaced is not `expectedOnDisk` (the one we last
    // read or wrote; none: there was none), another program wrote it meanwhile, up to the very
    // moment ours took its place: it is kept aside ("<name>.outside-<time stamp>", the newest few
    // kept, logged). Touches nothing of the store but its paths and `buffer`, so it may run on
    // another thread than the store's owner.
    Written write(const std::vector<Workspace>& workspaces, const std::optional<FileStamp>& expectedOnDisk,
                  std::string& buffer) const;
    // The same for the list as shared records that never change (the writer thread's form).
    Written write(const std::vector<std::shared_ptr<const Workspace>>& workspaces,
                  const std::optional<FileStamp>& expectedOnDisk, std::string& buffer) const;
    // write() without the check for another program's version, with a buffer of the store's own.
    void save(const std::vector<Workspace>& workspaces) const;

    // Removes the temporary files of saves that were cut short (a killed Tessane), never one a
    // running save holds; logged. Returns how many.
    size_t removeStaleTemporaries() const;

    // The stored list; empty, silently, when there is no file. A file that can't be read or
    // decoded is logged, then moved aside (".unreadable-<time stamp>" next to it, logged too) so
    // that the next save can't destroy what may still be recovered, and the list starts empty.
    std::vector<Workspace> load() const;
    // As load(), and the stamp of the file it read (none when there was none, or it was kept
    // aside as unreadable).
    std::vector<Workspace> load(std::optional<FileStamp>& stamp) const;
    // Reads the file as it is now, for a reload: the list, or the reason it could not be used.
    struct Read {
        std::optional<std::vector<Workspace>> workspaces;
        std::string error;
        std::optional<FileStamp> stamp;
    };
    Read read() const;

private:
    // write() with `encode` filling the buffer with the list's text.
    Written writeEncoded(const std::function<void(std::string&)>& encode, const std::optional<FileStamp>& expectedOnDisk,
                         std::string& buffer) const;

    // Saves come often, so the encoded list's buffer is kept for the next save while it is small
    // (a list of a few hundred workspaces with their icons); a larger one is given back after
    // each save rather than held for the life of the program.
    static constexpr size_t kKeptBufferBytes = 8u << 20;

    std::filesystem::path directory_;
    std::filesystem::path file_;
    mutable std::string buffer_;
};

}  // namespace tessane
