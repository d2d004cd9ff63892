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

    size_t count() const { return values_.size(); }

private:
    std::map<std::string, Value> values_;
};

}  // namespace tessane::sim
