#include "model/WorkspaceStore.h"

#include "base/AtomicFile.h"
#include "base/FileRead.h"
#include "model/Log.h"
#include "model/WorkspaceCoding.h"
#include "platform/Environment.h"

#include <system_error>

namespace tessane {
namespace fs = std::filesystem;

WorkspaceStore::WorkspaceStore(fs::path directory)
    : directory_(std::move(directory)), file_(directory_ / kFileName) {}

WorkspaceStore WorkspaceStore::inDataFolder(const Environment& environment) {
    return WorkspaceStore(environment.dataFolder());
}

WorkspaceStore::Written WorkspaceStore::write(const std::vector<Workspace>& workspaces,
                                              const std::optional<FileStamp>& expectedOnDisk,
                                              std::string& buffer) const {
    return writeEncoded([&](std::string& out) { encodeWorkspaces(workspaces, out); }, expectedOnDisk, buffer);
}

WorkspaceStore::Written WorkspaceStore::write(const std::vector<std::shared_ptr<const Workspace>>& workspaces,
                                              const std::optional<FileStamp>& expectedOnDisk,
                                              std::string& buffer) const {
    return writeEncoded([&](std::string& out) { encodeWorkspaces(workspaces, out); }, expectedOnDisk, buffer);
}

WorkspaceStore::Written WorkspaceStore::writeEncoded(const std::function<void(std::string&)>& encode,
                                                     const std::optional<FileStamp>& expectedOnDisk,
                                                     std::string& buffer) const {
    Written written;
    std::error_code ec;
    fs::create_directories(directory_, ec);
    if (ec) {
        written.error = ec.message() + " (" + directory_.string() + ")";
    } else {
        encode(buffer);
        std::string error;
        if (const auto replaced = writeFileKeepingOthers(file_, buffer, expectedOnDisk, "outside", &error)) {
            written.stamp = replaced->written;
            written.keptAside = replaced->keptAside;
        } else {
            written.error = error;
        }
        // Keep the memory for the next save unless the list was unusually large.
        if (buffer.capacity() > kKeptBufferBytes) std::string().swap(buffer);
    }
    if (written.error) Log::line("[Tessane] Failed to save workspaces: " + *written.error);
    if (!written.keptAside.empty())
        Log::line("[Tessane] workspaces.json held another program's version when Tessane saved; kept that version as " +
                  written.keptAside.string() + " and saved Tessane's.");
    return written;
}

void WorkspaceStore::save(const std::vector<Workspace>& workspaces) const {
    write(workspaces, fileStamp(file_), buffer_);
}

WorkspaceStore::Read WorkspaceStore::read() const {
    Read out;
    // Stamped before reading: a file replaced meanwhile is then seen as changed, never missed.
    out.stamp = fileStamp(file_);
    // Judged as it is read: a file that is not a JSON text (a sparse file of zeros, another
    // program's binary) is refused by its first bytes, never read in full first.
    const FileRead file = readRegularTextFile(file_, file_limits::kWorkspaceList, "{[");
    if (file.status == FileRead::Status::missing) {
        out.workspaces.emplace();
        out.stamp.reset();
        return out;
    }
    if (file.status == FileRead::Status::notText) {
        out.error = "the file is " + file.error;
        return out;
    }
    if (!file) {
        out.error = "the file could not be read: " + file.error;
        return out;
    }
    try {
        out.workspaces = decodeWorkspaces(file.contents());
    } catch (const DecodeFailure& failure) {
        out.error = failure.what();
    }
    return out;
}

size_t WorkspaceStore::removeStaleTemporaries() const {
    const size_t removed = tessane::removeStaleTemporaries(file_);
    if (removed)
        Log::line("[Tessane] Removed " + std::to_string(removed) + " temporary file(s) of a save that was cut short in " +
                  directory_.string() + ".");
    return removed;
}

std::vector<Workspace> WorkspaceStore::load() const {
    std::optional<FileStamp> stamp;
    return load(stamp);
}

std::vector<Workspace> WorkspaceStore::load(std::optional<FileStamp>& stamp) const {
    Read got = read();
    stamp = got.stamp;
    if (got.workspaces) return std::move(*got.workspaces);
    Log::line("[Tessane] Failed to load workspaces (" + got.error + "); starting empty.");
    stamp.reset();
    const fs::path aside = keepAside(file_);
    if (aside.empty())
        Log::line("[Tessane] Could not move the unreadable workspace file aside; it stays at " + file_.string() +
                  " until the next save replaces it.");
    else
        Log::line("[Tessane] Kept the unreadable workspace file as " + aside.string() + ".");
    return {};
}

}  // namespace tessane
