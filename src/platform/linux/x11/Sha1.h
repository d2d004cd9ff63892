#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tessane::linux_backend {

// SHA-1 of a byte string. Used only to derive name-based (version 5) identifiers, where the
// algorithm is fixed by the UUID standard; not for anything that needs a secure hash.
std::array<uint8_t, 20> sha1(std::string_view data);

}  // namespace tessane::linux_backend
