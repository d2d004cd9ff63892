#pragma once

#include "model/ManagedApp.h"
#include "platform/Applications.h"

#include <filesystem>
#include <optional>
#include <stdexcept>

namespace tessane {

// Why an application picked by the user can't become a workspace app. what() is the text shown
// to the user.
class AppRegistryError : public std::runtime_error {
public:
    enum class Kind { notAnApp, missingBundleIdentifier };

    AppRegistryError(Kind kind, std::filesystem::path url);

    Kind kind() const { return kind_; }
    const std::filesystem::path& url() const { return url_; }

private:
    Kind kind_;
    std::filesystem::path url_;
};

// Turns an application on disk into a `ManagedApp`, finds it again from such a record, and
// renders its icon into the small PNG that records store. Stateless apart from the catalogue it
// asks.
class AppRegistry {
public:
    static constexpr int kIconSide = 128;

    explicit AppRegistry(const AppCatalog& catalog) : catalog_(catalog) {}

    // A new record (fresh id, role secondary) for the application at `url`. Throws
    // AppRegistryError when the name doesn't end in the application extension (any letter case)
    // or no bundle with an identifier is there. A failed bookmark or icon only leaves it out.
    ManagedApp makeManagedApp(const std::filesystem::path& url) const;

    // Where the app is now: its bookmark (when something exists there), else its stored path
    // (when something exists there), else the system's lookup by bundle identifier.
    std::optional<std::filesystem::path> resolveURL(const ManagedApp& app) const;

    // The first two steps of resolveURL only: where the record itself says the app is, without
    // asking the system by bundle identifier.
    std::optional<std::filesystem::path> locateOnDisk(const ManagedApp& app) const;

    bool isInstalled(const ManagedApp& app) const { return resolveURL(app).has_value(); }

    std::optional<Bytes> iconPNG(const std::filesystem::path& url, int side) const {
        return catalog_.iconPNG(url, side);
    }

    // The icon (kIconSide) of the application the system finds for `bundleIdentifier`: what a
    // record without a stored icon shows. None when no application is found or it can't be drawn.
    std::optional<Bytes> systemIconPNG(const std::string& bundleIdentifier) const {
        const auto url = catalog_.urlForApplication(bundleIdentifier);
        if (!url) return std::nullopt;
        return catalog_.iconPNG(*url, kIconSide);
    }

    const AppCatalog& catalog() const { return catalog_; }

private:
    std::string readDisplayName(const std::filesystem::path& url, const AppCatalog::BundleInfo& bundle) const;

    const AppCatalog& catalog_;
};

}  // namespace tessane
