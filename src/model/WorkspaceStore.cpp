#include "model/WorkspaceStore.h"

#include "base/AtomicFile.h"
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
    const std::string json = encodeWorkspaces(workspaces);
    std::string error;
    if (!writeFileAtomically(file_, json, &error)) Log::line("[Tessane] Failed to save workspaces: " + error);
}

std::vector<Workspace> WorkspaceStore::load() const {
    std::error_code ec;
    if (!fs::exists(file_, ec)) return {};

    std::string error;
    std::string contents;
    if (!readWholeFile(file_, contents)) {
        error = "the file could not be read";
    } else {
        try {
            return decodeWorkspaces(contents);
        } catch (const DecodeFailure& failure) {
            error = failure.what();
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
