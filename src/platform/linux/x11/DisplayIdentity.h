#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane::linux_backend {

// The persistent identity of a physical display, as the fingerprint of a display set needs it.
namespace DisplayIdentity {

// The parts of an EDID block that name one panel: "edid:<vendor>:<product>:<serial>" with the
// three-letter vendor, the product code and the serial number in decimal, plus ":<text>" when a
// serial-number text descriptor is present (many panels leave the numeric serial 0). None when
// the block is shorter than 128 bytes or lacks the EDID header.
std::optional<std::string> edidKey(const std::vector<uint8_t>& edid);

// A version 5 (SHA-1, name-based) UUID of `name` in Tessane's own name space, upper case
// 8-4-4-4-12. The same name always gives the same identifier.
std::string nameBasedUuid(std::string_view name);

}  // namespace DisplayIdentity
}  // namespace tessane::linux_backend
