#include "platform/sim/SimPreferences.h"

#include "platform/sim/SimFileWatch.h"

namespace tessane::sim {

std::optional<Preferences::Value> SimPreferences::value(const std::string& domain,
                                                        const std::string& key) {
    ++reads_;
    auto it = values_.find({domain, key});
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::filesystem::path> SimPreferences::storageFile(const std::string& domain) const {
    return home_ / "Library" / "Preferences" / (domain + ".plist");
}

void SimPreferences::set(const std::string& domain, const std::string& key, Value value) {
    values_[{domain, key}] = std::move(value);
    rewrite(domain);
}

void SimPreferences::remove(const std::string& domain, const std::string& key) {
    if (values_.erase({domain, key})) rewrite(domain);
}

void SimPreferences::rewrite(const std::string& domain) {
    if (files_) files_->writeFile(*storageFile(domain));
}

}  // namespace tessane::sim
