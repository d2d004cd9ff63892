#include "platform/sim/SimPng.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tessane::sim {
namespace {

constexpr std::array<uint32_t, 256> makeCrcTable() {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[n] = c;
    }
    return t;
}
constexpr auto kCrc = makeCrcTable();

void put32(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void chunk(Bytes& out, std::string_view type, const Bytes& data) {
    put32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = start; i < out.size(); ++i) crc = kCrc[(crc ^ out[i]) & 0xFF] ^ (crc >> 8);
    put32(out, crc ^ 0xFFFFFFFFu);
}

}  // namespace

Bytes solidPng(int side, uint32_t rgba) {
    const uint32_t n = static_cast<uint32_t>(side > 0 ? side : 1);
    Bytes raw;
    raw.reserve(n * (1 + 4 * n));
    for (uint32_t y = 0; y < n; ++y) {
        raw.push_back(0);  // filter: none
        for (uint32_t x = 0; x < n; ++x) {
            raw.push_back(static_cast<uint8_t>(rgba >> 24));
            raw.push_back(static_cast<uint8_t>(rgba >> 16));
            raw.push_back(static_cast<uint8_t>(rgba >> 8));
            raw.push_back(static_cast<uint8_t>(rgba));
        }
    }
    // zlib stream of stored (uncompressed) deflate blocks.
    Bytes z = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0;) {
        const size_t len = std::min<size_t>(65535, raw.size() - at);
        const bool last = at + len == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<uint8_t>(len));
        z.push_back(static_cast<uint8_t>(len >> 8));
        z.push_back(static_cast<uint8_t>(~len));
        z.push_back(static_cast<uint8_t>(~len >> 8));
        z.insert(z.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + len));
        at += len;
        if (last) break;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put32(z, b << 16 | a);

    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    put32(header, n);
    put32(header, n);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", {});
    return png;
}

PngSize pngSize(const Bytes& png) {
    static const uint8_t signature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (png.size() < 24 || !std::equal(std::begin(signature), std::end(signature), png.begin())) return {};
    if (std::string_view(reinterpret_cast<const char*>(png.data()) + 12, 4) != "IHDR") return {};
    auto read32 = [&](size_t at) {
        return uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3];
    };
    return {read32(16), read32(20)};
}

}  // namespace tessane::sim
