#pragma once

#include "model/HiddenAppStore.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <ranges>
#include <set>
#include <string>
#include <vector>

namespace tessane {

// The bundle identifiers of the apps that Tessane itself hid, so that it can give them back at
// quit or, after a run that could not, at the next launch. It keeps nothing in memory: every
// operation reads the store and writes the result back, sorted and without duplicates.
class HiddenAppLedger {
public:
    explicit HiddenAppLedger(std::shared_ptr<HiddenAppStore> store);

    // Adds the identifiers. Always writes the list, even when nothing was new, and returns only
    // once it is on disk: the caller hides the apps next, and a crash then must not lose them.
    // When it can't be stored, the list is left as it was and the reason returned: the caller
    // must then not hide them, as nothing could bring them back after a crash.
    template <std::ranges::input_range R>
    std::optional<std::string> record(const R& bundleIDs) {
        return recordAll(std::set<std::string>(std::ranges::begin(bundleIDs), std::ranges::end(bundleIDs)));
    }
    std::optional<std::string> record(std::initializer_list<std::string> bundleIDs) {
        return recordAll(std::set<std::string>(bundleIDs));
    }

    // Removes the identifiers. Writes only when something was removed; removing the last one
    // leaves no list behind.
    template <std::ranges::input_range R>
    void forget(const R& bundleIDs) {
        forgetAll(std::set<std::string>(std::ranges::begin(bundleIDs), std::ranges::end(bundleIDs)));
    }
    void forget(std::initializer_list<std::string> bundleIDs) { forgetAll(std::set<std::string>(bundleIDs)); }

    // The stored list as it is now.
    std::vector<std::string> hiddenBundleIDs() const { return store_->loadHiddenBundleIDs(); }

private:
    std::optional<std::string> recordAll(const std::set<std::string>& bundleIDs);
    void forgetAll(const std::set<std::string>& bundleIDs);

    std::shared_ptr<HiddenAppStore> store_;
};

}  // namespace tessane
