#pragma once

#include "platform/Applications.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace tessane::sim {

// The simulated desktop's applications.
class SimApplications : public Applications {
public:
    // ============================================================================ App catalogue
    //
    // Installed applications are files at paths ("/Applications/Notes.app"), each with a stable
    // file id, so a bookmark follows a moved app the way a real one does. Other files (a folder
    // named like an app but without bundle information, a document) can exist too.

    struct Bundle {
        std::string bundleIdentifier;  // empty: the bundle has no identifier
        std::optional<std::string> displayName;
        std::optional<std::string> bundleName;
        uint32_t iconColor = 0x3366CCFF;  // RGBA of its (one-colour) icon
        bool iconRenders = true;
    };

    void installApp(const std::filesystem::path& path, Bundle bundle);
    // A file or folder that is not an application.
    void addFile(const std::filesystem::path& path);
    // Moves a file (keeping its id); false when nothing is at `from` or something is at `to`.
    bool moveFile(const std::filesystem::path& from, const std::filesystem::path& to);
    void removeFile(const std::filesystem::path& path);
    // Re-publishes the app at `path` under another identifier (same file, same place).
    void setBundleIdentifier(const std::filesystem::path& path, const std::string& bundleIdentifier);
    void setIconRenders(const std::filesystem::path& path, bool renders);
    // Which app the system names for an identifier; by default the first installed one.
    void setSystemApplication(const std::string& bundleIdentifier, std::optional<std::filesystem::path> path);
    void setBookmarksFail(bool fail) { bookmarksFail_ = fail; }

    int iconRenderCount() const { return iconRenders_; }

    std::string applicationExtension() const override { return "app"; }
    std::optional<BundleInfo> bundleAt(const std::filesystem::path& path) const override;
    bool fileExists(const std::filesystem::path& path) const override;
    std::optional<std::filesystem::path> urlForApplication(const std::string& bundleIdentifier) const override;
    std::optional<Bytes> makeBookmark(const std::filesystem::path& path) const override;
    std::optional<std::filesystem::path> resolveBookmark(const Bytes& bookmark) const override;
    std::optional<Bytes> iconPNG(const std::filesystem::path& path, int side) const override;

    // ==================================================================== Running applications
    // (added with the application controller)

private:
    struct File {
        uint64_t fileId = 0;
        uint64_t order = 0;  // installation order, for the system's choice
        std::optional<Bundle> bundle;
    };

    const File* find(const std::filesystem::path& path) const;

    std::map<std::string, File> files_;
    std::map<uint64_t, std::string> pathOfFileId_;
    std::map<std::string, std::optional<std::filesystem::path>> systemChoice_;
    uint64_t nextFileId_ = 1;
    bool bookmarksFail_ = false;
    mutable int iconRenders_ = 0;
};

}  // namespace tessane::sim
