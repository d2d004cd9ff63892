#pragma once

#include "platform/SystemLog.h"

#include <mutex>
#include <string>
#include <vector>

namespace tessane::sim {

// Keeps every line written to it, for tests that assert log texts.
class SimSystemLog final : public SystemLog {
public:
    void write(std::string_view message) override {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(message);
    }
    std::vector<std::string> lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    bool contains(std::string_view text) const {
        std::lock_guard lock(mutex_);
        for (auto& l : lines_)
            if (l.find(text) != std::string::npos) return true;
        return false;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace tessane::sim
