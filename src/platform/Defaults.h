#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tessane {

// The user's preferences and small state. A value stored with one type reads as absent when
// asked for as another; a Boolean is never a number.
class Defaults {
public:
    using Value = std::variant<bool, long long, double, std::string, std::vector<std::string>>;

    virtual ~Defaults() = default;

    virtual std::optional<Value> value(const std::string& key) const = 0;
    virtual void set(const std::string& key, Value value) = 0;
    virtual void remove(const std::string& key) = 0;
    // Blocks until every change made so far is stored where the next start reads it: the quit
    // calls it last, as the process may end without running a destructor. Returns why they are
    // not all stored (none once they are), for what must not go ahead unrecorded. A store that
    // keeps its values only in memory has nothing to do.
    virtual std::optional<std::string> flush() { return std::nullopt; }

    std::optional<bool> boolValue(const std::string& key) const { return get<bool>(key); }
    std::optional<long long> intValue(const std::string& key) const { return get<long long>(key); }
    // Integers read as doubles too, as a stored number is a number.
    std::optional<double> doubleValue(const std::string& key) const {
        auto v = value(key);
        if (!v) return std::nullopt;
        if (auto d = std::get_if<double>(&*v)) return *d;
        if (auto i = std::get_if<long long>(&*v)) return static_cast<double>(*i);
        return std::nullopt;
    }
    std::optional<std::string> stringValue(const std::string& key) const {
        return get<std::string>(key);
    }
    std::optional<std::vector<std::string>> stringArray(const std::string& key) const {
        return get<std::vector<std::string>>(key);
    }

private:
    template <typename T>
    std::optional<T> get(const std::string& key) const {
        auto v = value(key);
        if (!v) return std::nullopt;
        if (auto p = std::get_if<T>(&*v)) return *p;
        return std::nullopt;
    }
};

}  // namespace tessane
