#pragma once

#include "platform/Preferences.h"

namespace tessane::linux_backend {

// Linux desktops keep no preference domains of the kind this reads (and have no Stage Manager):
// every value is absent and no domain has a file.
class LinuxPreferences final : public Preferences {
public:
    std::optional<Value> value(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> storageFile(const std::string&) const override {
        return std::nullopt;
    }
};

}  // namespace tessane::linux_backend
