#pragma once

#include "platform/LoginItems.h"

#include <optional>
#include <string>

namespace tessane::sim {

// A login-item registration that tests script: its status and how the next changes end.
class SimLoginItems final : public LoginItems {
public:
    bool bundled = true;
    std::string path = "/usr/bin";
    Status current = Status::notRegistered;
    // When set, the next register/unregister fails with this description (and changes nothing).
    std::optional<std::string> registerError;
    std::optional<std::string> unregisterError;
    mutable int statusReads = 0;

    bool isBundled() const override { return bundled; }
    std::string bundlePath() const override { return path; }
    Status status() const override {
        ++statusReads;
        return current;
    }
    std::optional<std::string> registerItem() override {
        if (registerError) return registerError;
        current = Status::enabled;
        return std::nullopt;
    }
    std::optional<std::string> unregisterItem() override {
        if (unregisterError) return unregisterError;
        current = Status::notRegistered;
        return std::nullopt;
    }
};

}  // namespace tessane::sim
