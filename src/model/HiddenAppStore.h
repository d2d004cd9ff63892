#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessane {

class Defaults;

// Where the hidden-app ledger keeps its list of bundle identifiers.
class HiddenAppStore {
public:
    virtual ~HiddenAppStore() = default;
    virtual std::vector<std::string> loadHiddenBundleIDs() const = 0;
    virtual void saveHiddenBundleIDs(const std::vector<std::string>& bundleIDs) = 0;
    // Returns once what was saved would survive a crash of the program, or with why it would not.
    virtual std::optional<std::string> flush() { return std::nullopt; }
};

// The running system's store: the user defaults, key TessaneHiddenAppBundleIDs, so that the
// list outlives a run that ended without giving the apps back.
class UserDefaultsHiddenAppStore final : public HiddenAppStore {
public:
    static constexpr const char* kKey = "TessaneHiddenAppBundleIDs";

    explicit UserDefaultsHiddenAppStore(Defaults& defaults) : defaults_(defaults) {}

    // The stored list; empty when the key is absent or holds anything but a list of strings.
    std::vector<std::string> loadHiddenBundleIDs() const override;
    // Stores the list as given; an empty list removes the key.
    void saveHiddenBundleIDs(const std::vector<std::string>& bundleIDs) override;
    std::optional<std::string> flush() override;

private:
    Defaults& defaults_;
};

// A store that persists nothing, for use where nothing may be written.
class InMemoryHiddenAppStore final : public HiddenAppStore {
public:
    std::vector<std::string> loadHiddenBundleIDs() const override { return ids_; }
    void saveHiddenBundleIDs(const std::vector<std::string>& bundleIDs) override { ids_ = bundleIDs; }

private:
    std::vector<std::string> ids_;
};

}  // namespace tessane
