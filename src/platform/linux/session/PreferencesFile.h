#pragma once

#include "platform/Defaults.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane::linux_backend {

// The text form of the preferences file: one JSON object whose values are Booleans, integers,
// other numbers, strings and lists of strings.
namespace preferences_file {

struct Contents {
    std::map<std::string, Defaults::Value> values;
    // The values left out, each as "<key> (<reason>)", in file order.
    std::vector<std::string> ignored;
};

// Reads every value on its own, so that one bad value costs only itself: a value of another
// kind (null, an object, a list holding a non-string), an integer beyond the 64-bit signed range
// or a number beyond a double's range counts as absent and is named in `ignored`; the rest is
// kept. A leading UTF-8 byte-order mark is dropped. nullopt only when the text is not a JSON
// object at all (malformed, or nested deeper than the reader follows); `why` then says why.
std::optional<Contents> parse(std::string_view text, std::string* why = nullptr);

// The text that parse reads back as the same values: sorted keys, two-space indent, a final
// line break.
std::string encode(const std::map<std::string, Defaults::Value>& values);

}  // namespace preferences_file
}  // namespace tessane::linux_backend
