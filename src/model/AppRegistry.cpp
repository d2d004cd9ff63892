#include "model/AppRegistry.h"

namespace tessane {
namespace fs = std::filesystem;

namespace {

// "Foo.app/" names the same bundle as "Foo.app".
fs::path withoutTrailingSeparators(const fs::path& url) {
    std::string s = url.string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return fs::path(s);
}

std::string lowerAscii(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string describe(AppRegistryError::Kind kind, const fs::path& url) {
    const std::string name = withoutTrailingSeparators(url).filename().string();
    if (kind == AppRegistryError::Kind::notAnApp) return name + " is not an application.";
    // Said to people: a desktop entry of another type (a link, a folder), or one that can't be read.
    return name + " is not an application entry that can be started.";
}

}  // namespace

AppRegistryError::AppRegistryError(Kind kind, fs::path url)
    : std::runtime_error(describe(kind, url)), kind_(kind), url_(std::move(url)) {}

ManagedApp AppRegistry::makeManagedApp(const fs::path& url) const {
    const fs::path bundlePath = withoutTrailingSeparators(url);
    std::string extension = bundlePath.extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    if (lowerAscii(extension) != catalog_.applicationExtension())
        throw AppRegistryError(AppRegistryError::Kind::notAnApp, url);

    const auto bundle = catalog_.bundleAt(bundlePath);
    if (!bundle || bundle->bundleIdentifier.empty())
        throw AppRegistryError(AppRegistryError::Kind::missingBundleIdentifier, url);

    ManagedApp app;
    app.displayName = readDisplayName(bundlePath, *bundle);
    app.bundleIdentifier = bundle->bundleIdentifier;
    app.iconData = catalog_.iconPNG(bundlePath, kIconSide);
    app.appURLBookmark = catalog_.makeBookmark(bundlePath);
    app.appPath = bundlePath.string();
    app.role = AppRole::secondary;
    return app;
}

std::string AppRegistry::readDisplayName(const fs::path& url, const AppCatalog::BundleInfo& bundle) const {
    if (bundle.displayName && !bundle.displayName->empty()) return *bundle.displayName;
    if (bundle.bundleName && !bundle.bundleName->empty()) return *bundle.bundleName;
    return url.stem().string();
}

std::optional<fs::path> AppRegistry::locateOnDisk(const ManagedApp& app) const {
    if (app.appURLBookmark) {
        // Staleness is not consulted and the bookmark is not refreshed here.
        if (auto resolved = catalog_.resolveBookmark(*app.appURLBookmark); resolved && catalog_.fileExists(*resolved))
            return resolved;
    }
    if (app.appPath && !app.appPath->empty() && catalog_.fileExists(*app.appPath)) return fs::path(*app.appPath);
    return std::nullopt;
}

std::optional<fs::path> AppRegistry::resolveURL(const ManagedApp& app) const {
    if (auto onDisk = locateOnDisk(app)) return onDisk;
    return catalog_.urlForApplication(app.bundleIdentifier);
}

}  // namespace tessane
