// The two repairs that run once, right after the stored list is loaded and before anybody else
// sees it: icons stored far too large, and apps whose bundle identifier changed on disk.
#include "model/Log.h"
#include "model/WorkspaceManager.h"

#include <map>
#include <set>

namespace tessane {
namespace {

// Icons are stored as 128 x 128 PNGs; anything above this was stored at some other size.
constexpr size_t kOversizedIconBytes = 200'000;

// Where the records of one load point on disk and what is there. A long list names the same few
// apps over and over: each distinct bookmark and path is looked up, and each file read, once per
// load. Nothing outlives the pass, so the next load sees the files as they are then.
class DiskLookups {
public:
    explicit DiskLookups(const AppRegistry& registry) : registry_(registry) {}

    const std::optional<std::filesystem::path>& locate(const ManagedApp& app) {
        Key key{app.appURLBookmark, app.appPath};
        auto it = located_.find(key);
        if (it == located_.end()) it = located_.emplace(std::move(key), registry_.locateOnDisk(app)).first;
        return it->second;
    }

    const std::optional<AppCatalog::BundleInfo>& bundleAt(const std::filesystem::path& url) {
        auto it = bundles_.find(url);
        if (it == bundles_.end()) it = bundles_.emplace(url, registry_.catalog().bundleAt(url)).first;
        return it->second;
    }

private:
    using Key = std::pair<std::optional<Bytes>, std::optional<std::string>>;
    const AppRegistry& registry_;
    std::map<Key, std::optional<std::filesystem::path>> located_;
    std::map<std::filesystem::path, std::optional<AppCatalog::BundleInfo>> bundles_;
};

}  // namespace

void WorkspaceManager::migrateOversizedIcons(std::vector<Workspace>& list) {
    bool changed = false;
    for (auto& ws : list) {
        for (auto& app : ws.apps) {
            if (!app.iconData || app.iconData->size() <= kOversizedIconBytes) continue;
            if (auto url = registry_.resolveURL(app))
                app.iconData = registry_.iconPNG(*url, AppRegistry::kIconSide);
            else
                app.iconData.reset();
            changed = true;
        }
    }
    if (changed) {
        Log::line("[Tessane] Migrated oversized app icons to small PNGs; re-persisting workspaces.");
        write(list);
    }
}

void WorkspaceManager::migrateChangedBundleIDs(std::vector<Workspace>& list) {
    const AppCatalog& catalog = registry_.catalog();
    DiskLookups disk(registry_);

    std::set<std::string> inUse;
    for (const auto& ws : list)
        for (const auto& app : ws.apps) inUse.insert(app.bundleIdentifier);

    bool changed = false;
    std::vector<std::string> relinks;
    for (auto& ws : list) {
        for (auto& app : ws.apps) {
            // Only where the record itself points: never the system's lookup by identifier,
            // which would always agree with the stored identifier.
            const auto& url = disk.locate(app);
            if (!url) continue;
            const auto& bundle = disk.bundleAt(*url);
            if (!bundle || bundle->bundleIdentifier.empty() || bundle->bundleIdentifier == app.bundleIdentifier)
                continue;
            const std::string& newID = bundle->bundleIdentifier;
            if (inUse.count(newID)) {
                Log::line("[Tessane] Desktop-entry id migration skipped for " + app.displayName + ": " + app.bundleIdentifier +
                          " \u2192 " + newID + " already in use (would duplicate).");
                continue;
            }
            inUse.insert(newID);
            relinks.push_back(app.displayName + " " + app.bundleIdentifier + " \u2192 " + newID);
            app.bundleIdentifier = newID;
            app.appPath = url->string();
            if (auto bookmark = catalog.makeBookmark(*url)) app.appURLBookmark = std::move(bookmark);
            if (auto icon = registry_.iconPNG(*url, AppRegistry::kIconSide)) app.iconData = std::move(icon);
            changed = true;
        }
    }
    if (changed) {
        std::string joined;
        for (const auto& r : relinks) joined += (joined.empty() ? "" : "; ") + r;
        Log::line("[Tessane] Re-linked apps whose desktop entry id changed: " + joined + "; re-persisting workspaces.");
        write(list);
    }
}

}  // namespace tessane
