#include "base/Uuid.h"

#include <random>

namespace tessane {

namespace {
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

namespace {
// Seeded from 256 bits of system randomness: one 32-bit seed would give every run one of only
// 2^32 identifier sequences, so two runs could hand out the same identifiers.
std::mt19937_64 seededEngine() {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
    return std::mt19937_64(seed);
}
}  // namespace

Uuid Uuid::random() {
    static thread_local std::mt19937_64 engine = seededEngine();
    std::array<uint8_t, 16> b{};
    for (size_t i = 0; i < 16; i += 8) {
        const uint64_t r = engine();
        for (size_t j = 0; j < 8; ++j) b[i + j] = static_cast<uint8_t>(r >> (8 * j));
    }
    b[6] = static_cast<uint8_t>((b[6] & 0x0F) | 0x40);  // version 4
    b[8] = static_cast<uint8_t>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return Uuid(b);
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != 36) return std::nullopt;
    std::array<uint8_t, 16> b{};
    size_t byte = 0;
    for (size_t i = 0; i < 36;) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') return std::nullopt;
            ++i;
            continue;
        }
        const int hi = hexValue(text[i]);
        const int lo = hexValue(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        b[byte++] = static_cast<uint8_t>(hi << 4 | lo);
        i += 2;
    }
    return Uuid(b);
}

std::string Uuid::string() const {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(36);
    for (size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) s.push_back('-');
        s.push_back(digits[bytes_[i] >> 4]);
        s.push_back(digits[bytes_[i] & 0xF]);
    }
    return s;
}

}  // namespace tessane

size_t std::hash<tessane::Uuid>::operator()(const tessane::Uuid& u) const noexcept {
    size_t h = 1469598103934665603ull;
    for (auto b : u.bytes()) h = (h ^ b) * 1099511628211ull;
    return h;
}
