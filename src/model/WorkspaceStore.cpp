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

void WorkspaceStore::save(const std::vector<Workspace>& workspaces) const {
    std::error_code ec;
    fs::create_directories(directory_, ec);
    if (ec) {
        Log::line("[Tessane] Failed to save workspaces: " + ec.message() + " (" + directory_.string() + ")");
        return;
    }
    encodeWorkspaces(workspaces, buffer_);
    std::string error;
    if (!writeFileAtomically(file_, buffer_, &error)) Log::line("[Tessane] Failed to save workspaces: " + error);
    // Keep the memory for the next save unless the list was unusually large.
    if (buffer_.capacity() > kKeptBufferBytes) std::string().swap(buffer_);
}

std::vector<Workspace> WorkspaceStore::load() const {
    std::string error;
    {
        // Mapped rather than copied: the list can hold thousands of Base64 icons, and a copy into
        // fresh memory costs more than decoding them. The file is only ever replaced by a rename,
        // so the mapped (old) file stays whole while we read it.
        const FileRead file = readRegularFile(file_, file_limits::kWorkspaceList, FileRead::Access::map);
        // Only a file that is really not there reads as an empty list; any other failure is a
        // file we could not read, and is reported as such below.
        if (file.status == FileRead::Status::missing) return {};
        if (!file) {
            error = "the file could not be read: " + file.error;
        } else {
            try {
                return decodeWorkspaces(file.contents());
            } catch (const DecodeFailure& failure) {
                error = failure.what();
            }
        }
    }
    Log::line("[Tessane] Failed to load workspaces (" + error + "); starting empty.");
    const fs::path aside = keepAside(file_);
    if (aside.empty())
        Log::line("[Tessane] Could not move the unreadable workspace file aside; it stays at " + file_.string() +
                  " until the next save replaces it.");
    else
        Log::line("[Tessane] Kept the unreadable workspace file as " + aside.string() + ".");
    return {};
}

}  // namespace tessane
