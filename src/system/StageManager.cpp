#include "system/StageManager.h"

#include "platform/Preferences.h"

#include <variant>

namespace tessane::StageManager {

bool isEnabled(Preferences& preferences) {
    const auto value = preferences.value(kDomain, kEnabledKey);
    if (!value) return false;
    if (auto b = std::get_if<bool>(&*value)) return *b;
    if (auto i = std::get_if<long long>(&*value)) return *i != 0;
    if (auto d = std::get_if<double>(&*value)) return *d != 0;
    return false;
}

std::optional<std::filesystem::path> preferencesFile(const Preferences& preferences) {
    return preferences.storageFile(kDomain);
}

}  // namespace tessane::StageManager
