#include "model/HiddenAppStore.h"

#include "model/Log.h"
#include "platform/Defaults.h"

namespace tessane {

std::vector<std::string> UserDefaultsHiddenAppStore::loadHiddenBundleIDs() const {
    if (auto ids = defaults_.stringArray(kKey)) return *ids;
    if (defaults_.value(kKey)) {
        Log::line(std::string("[Tessane] Hidden-app ledger: ") + kKey +
                  " does not hold a list of application ids — reading it as empty.");
    }
    return {};
}

void UserDefaultsHiddenAppStore::saveHiddenBundleIDs(const std::vector<std::string>& bundleIDs) {
    if (bundleIDs.empty()) {
        defaults_.remove(kKey);
    } else {
        defaults_.set(kKey, bundleIDs);
    }
}

std::optional<std::string> UserDefaultsHiddenAppStore::flush() { return defaults_.flush(); }

}  // namespace tessane
