#pragma once

#include "platform/Defaults.h"

#include <map>

namespace tessane::sim {

class SimDefaults final : public Defaults {
public:
    std::optional<Value> value(const std::string& key) const override {
        auto it = values_.find(key);
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    void set(const std::string& key, Value value) override { values_[key] = std::move(value); }
    void remove(const std::string& key) override { values_.erase(key); }
    std::optional<std::string> flush() override {
        if (!failing_) flushed_ = values_;
        return failing_;
    }
    // From now on every flush fails with `why` (a full or read-only disk); none: they succeed again.
    void failFlushes(std::optional<std::string> why) { failing_ = std::move(why); }

    // What a crash now would leave: the values as of the last flush. (The real store writes in the
    // background, so a change not flushed may or may not have reached the disk.)
    std::optional<Value> flushedValue(const std::string& key) const {
        auto it = flushed_.find(key);
        if (it == flushed_.end()) return std::nullopt;
        return it->second;
    }

    size_t count() const { return values_.size(); }

private:
    std::map<std::string, Value> values_;
    std::map<std::string, Value> flushed_;
    std::optional<std::string> failing_;
};

}  // namespace tessane::sim
