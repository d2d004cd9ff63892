#pragma once

#include "platform/Preferences.h"

#include <map>
#include <utility>

namespace tessane::sim {

class SimFileWatch;

// Other applications' preference domains, settable by tests. Each domain is stored in
// "<home>/Library/Preferences/<domain>.plist"; with a simulated file system attached, every
// change rewrites that file there, so watches of it see the change as on the real desktop.
class SimPreferences final : public Preferences {
public:
    explicit SimPreferences(std::filesystem::path homeFolder, SimFileWatch* files = nullptr)
        : home_(std::move(homeFolder)), files_(files) {}

    std::optional<Value> value(const std::string& domain, const std::string& key) override;
    std::optional<std::filesystem::path> storageFile(const std::string& domain) const override;

    void set(const std::string& domain, const std::string& key, Value value);
    void remove(const std::string& domain, const std::string& key);

    // Reads so far, counting the synchronisation each read makes.
    int readCount() const { return reads_; }

private:
    void rewrite(const std::string& domain);

    std::filesystem::path home_;
    SimFileWatch* files_;
    std::map<std::pair<std::string, std::string>, Value> values_;
    int reads_ = 0;
};

}  // namespace tessane::sim
