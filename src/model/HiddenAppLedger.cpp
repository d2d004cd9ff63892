#include "model/HiddenAppLedger.h"

#include <utility>

namespace tessane {

HiddenAppLedger::HiddenAppLedger(std::shared_ptr<HiddenAppStore> store) : store_(std::move(store)) {}

void HiddenAppLedger::recordAll(const std::set<std::string>& bundleIDs) {
    const std::vector<std::string> stored = store_->loadHiddenBundleIDs();
    std::set<std::string> ids(stored.begin(), stored.end());
    ids.insert(bundleIDs.begin(), bundleIDs.end());
    store_->saveHiddenBundleIDs(std::vector<std::string>(ids.begin(), ids.end()));
    store_->flush();
}

void HiddenAppLedger::forgetAll(const std::set<std::string>& bundleIDs) {
    const std::vector<std::string> stored = store_->loadHiddenBundleIDs();
    std::set<std::string> ids(stored.begin(), stored.end());
    const size_t before = ids.size();
    for (const std::string& id : bundleIDs) ids.erase(id);
    if (ids.size() == before) return;
    store_->saveHiddenBundleIDs(std::vector<std::string>(ids.begin(), ids.end()));
}

}  // namespace tessane
