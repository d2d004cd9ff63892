#pragma once

#include "base/Base64.h"
#include "platform/RunningApplications.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tessane {

// ===================================================================================== App catalogue
//
// The installed applications as files: where an application is, what its bundle says about
// itself, how to find it again after it moved, and its icon. An application is named by its
// bundle identifier; on Linux that is the desktop-file id ("org.gnome.TextEditor") and the
// application's path is its .desktop file.
class AppCatalog {
public:
    // What an application's bundle says about itself.
    struct BundleInfo {
        std::string bundleIdentifier;
        // The name the bundle asks to be shown (localized); linux: the entry's localized Name.
        std::optional<std::string> displayName;
        // The bundle's short name; linux: the entry's unlocalized Name.
        std::optional<std::string> bundleName;
    };

    virtual ~AppCatalog() = default;

    // The file-name extension of an application (without the dot): "app", linux "desktop".
    virtual std::string applicationExtension() const = 0;

    // Opens the application at `path`; nullopt when nothing there is an application or it has no
    // bundle identifier.
    virtual std::optional<BundleInfo> bundleAt(const std::filesystem::path& path) const = 0;

    // Whether a file (or bundle folder) exists at `path`.
    virtual bool fileExists(const std::filesystem::path& path) const = 0;

    // The system's own answer to "where is the application with this bundle identifier?".
    virtual std::optional<std::filesystem::path> urlForApplication(const std::string& bundleIdentifier) const = 0;

    // Data that finds the application at `path` again after it moved or was renamed; nullopt
    // when no bookmark can be made.
    virtual std::optional<Bytes> makeBookmark(const std::filesystem::path& path) const = 0;
    // Where a bookmark points now; nullopt when it cannot be resolved. Whether anything exists
    // there is for the caller to check.
    virtual std::optional<std::filesystem::path> resolveBookmark(const Bytes& bookmark) const = 0;

    // The application's icon rendered as a PNG image of side x side pixels (one pixel per point,
    // whatever the display's scale); nullopt when it cannot be rendered.
    virtual std::optional<Bytes> iconPNG(const std::filesystem::path& path, int side) const = 0;
};

// ========================================================================== Running applications
//
// The running half (running apps, hide / unhide / activate / terminate, launching applications and
// documents, the launch / activate / terminate notifications) is RunningApplications, in its own
// header. `Applications` is the whole port: the catalogue and the running applications.
class Applications : public AppCatalog, public RunningApplications {
public:
    ~Applications() override = default;
};

}  // namespace tessane
