#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessane {

// A 128-bit identifier; new ones are random (version 4). Printed in upper case 8-4-4-4-12.
class Uuid {
public:
    Uuid() = default;  // all zero
    explicit Uuid(const std::array<uint8_t, 16>& bytes) : bytes_(bytes) {}

    static Uuid random();
    // Accepts the 8-4-4-4-12 form in any case; nothing else.
    static std::optional<Uuid> parse(std::string_view text);

    std::string string() const;
    const std::array<uint8_t, 16>& bytes() const { return bytes_; }

    bool operator==(const Uuid&) const = default;
    auto operator<=>(const Uuid&) const = default;

private:
    std::array<uint8_t, 16> bytes_{};
};

}  // namespace tessane

template <>
struct std::hash<tessane::Uuid> {
    size_t operator()(const tessane::Uuid& u) const noexcept;
};
