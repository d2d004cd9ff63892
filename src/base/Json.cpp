#include "base/Json.h"

#include <cmath>
#include <limits>

namespace tessane::json {

namespace {
[[noreturn]] void fail(const char* key, const char* what) {
    throw JsonDecodeError(std::string("key \"") + key + "\": " + what);
}
}  // namespace

const Json& requireMember(const Json& obj, const char* key) {
    if (!obj.is_object()) throw JsonDecodeError(std::string("expected an object holding \"") + key + "\"");
    auto it = obj.find(key);
    if (it == obj.end()) fail(key, "missing");
    return *it;
}

double requireDouble(const Json& obj, const char* key) {
    const Json& v = requireMember(obj, key);
    if (!v.is_number()) fail(key, "expected a number");
    return v.get<double>();
}

long long requireInt(const Json& obj, const char* key) {
    const Json& v = requireMember(obj, key);
    // An unsigned value past the signed range would wrap into a negative one.
    if (v.is_number_unsigned()) {
        const auto u = v.get<unsigned long long>();
        if (u <= static_cast<unsigned long long>(std::numeric_limits<long long>::max())) return static_cast<long long>(u);
        fail(key, "expected an integer");
    }
    if (v.is_number_integer()) return v.get<long long>();
    // A whole number written as 3.0 is still an integer; one outside the range (or not finite)
    // has no long long value, and converting it would be undefined.
    if (v.is_number_float()) {
        const double d = v.get<double>();
        constexpr double kLimit = 9223372036854775808.0;  // 2^63
        if (d >= -kLimit && d < kLimit && d == std::trunc(d)) return static_cast<long long>(d);
    }
    fail(key, "expected an integer");
}

bool requireBool(const Json& obj, const char* key) {
    const Json& v = requireMember(obj, key);
    if (!v.is_boolean()) fail(key, "expected a Boolean");
    return v.get<bool>();
}

std::string requireString(const Json& obj, const char* key) {
    const Json& v = requireMember(obj, key);
    if (!v.is_string()) fail(key, "expected a string");
    return v.get<std::string>();
}

namespace {
const Json* optionalMember(const Json& obj, const char* key) {
    if (!obj.is_object()) throw JsonDecodeError(std::string("expected an object holding \"") + key + "\"");
    auto it = obj.find(key);
    if (it == obj.end() || it->is_null()) return nullptr;
    return &*it;
}
}  // namespace

std::optional<std::string> optionalString(const Json& obj, const char* key) {
    if (!optionalMember(obj, key)) return std::nullopt;
    return requireString(obj, key);
}

std::optional<std::string> memberString(const Json& obj, const char* key) {
    if (!obj.is_object()) return std::nullopt;
    const auto it = obj.find(key);
    if (it == obj.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

std::optional<unsigned long long> memberUnsigned(const Json& obj, const char* key) {
    if (!obj.is_object()) return std::nullopt;
    const auto it = obj.find(key);
    // nlohmann keeps every non-negative integer as unsigned; a negative one is signed.
    if (it == obj.end() || !it->is_number_unsigned()) return std::nullopt;
    return it->get<unsigned long long>();
}

std::string dump(const Json& value, int indent) {
    // Invalid UTF-8 is replaced rather than thrown on, so a stray byte can't make a save fail.
    return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

}  // namespace tessane::json
