#include "model/HiddenAppLedger.h"

#include "base/WaitBounds.h"

#include <chrono>
#include <utility>

namespace tessane {

namespace {

// The flush has no bound of its own (the disk decides), but a hide waits for it on the main
// thread: a busy disk holds the hide up, and the stall watch names it so.
constexpr WaitBound kFlush{"the hidden-app ledger's flush to disk", 0};

}  // namespace

HiddenAppLedger::HiddenAppLedger(std::shared_ptr<HiddenAppStore> store) : store_(std::move(store)) {}

std::optional<std::string> HiddenAppLedger::recordAll(const std::set<std::string>& bundleIDs) {
    const std::vector<std::string> stored = store_->loadHiddenBundleIDs();
    std::set<std::string> ids(stored.begin(), stored.end());
    ids.insert(bundleIDs.begin(), bundleIDs.end());
    store_->saveHiddenBundleIDs(std::vector<std::string>(ids.begin(), ids.end()));
    const auto start = std::chrono::steady_clock::now();
    auto unsaved = store_->flush();
    WaitBounds::note(kFlush, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), false);
    // Apps that stay up must not be brought back later as if Tessane had hidden them.
    if (unsaved) store_->saveHiddenBundleIDs(stored);
    return unsaved;
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
