#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <stdexcept>
#include <string>

namespace tessane {

// nlohmann's default object keeps its keys sorted, which is the stored form we want.
using Json = nlohmann::json;

// Thrown by the decoding helpers below; the message names the offending key.
struct JsonDecodeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

namespace json {

// Reads a required member; throws JsonDecodeError when it is missing or of the wrong type.
double requireDouble(const Json& obj, const char* key);
long long requireInt(const Json& obj, const char* key);
bool requireBool(const Json& obj, const char* key);
std::string requireString(const Json& obj, const char* key);
const Json& requireMember(const Json& obj, const char* key);

// Reads an optional member: absent or null gives nullopt; a present value of the wrong type throws.
std::optional<std::string> optionalString(const Json& obj, const char* key);

// For values that anybody may have written: never throw. Missing, null, of another type, or
// (for numbers) out of the type's range gives nullopt; so does an `obj` that is not an object.
std::optional<std::string> memberString(const Json& obj, const char* key);
std::optional<unsigned long long> memberUnsigned(const Json& obj, const char* key);

// Writes the member only when the optional holds a value (absent optionals are omitted).
template <typename T>
void putOptional(Json& obj, const char* key, const std::optional<T>& value) {
    if (value) obj[key] = *value;
}

// Serialises with sorted keys (nlohmann's default) and a stable layout; `indent` < 0 is compact.
std::string dump(const Json& value, int indent = -1);

}  // namespace json
}  // namespace tessane
