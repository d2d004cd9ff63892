#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessane {

using Bytes = std::vector<uint8_t>;

// Standard Base64 (RFC 4648 alphabet, '=' padding). Decoding is strict: the length must be a
// multiple of four, padding only at the end, no white space, no other characters.
std::string base64Encode(const Bytes& data);
std::optional<Bytes> base64Decode(std::string_view text);

}  // namespace tessane
