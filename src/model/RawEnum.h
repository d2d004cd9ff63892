#pragma once

#include <optional>
#include <string_view>

namespace tessane {

// Enumerations stored by their raw string (which is exactly the case name). Each enumeration
// declares `const char* toString(E)` and a specialisation of `fromString<E>`; the two round-trip
// exactly and `fromString` accepts nothing but the raw strings.
template <typename E>
std::optional<E> fromString(std::string_view raw);

}  // namespace tessane
