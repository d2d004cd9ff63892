#include "base/Base64.h"

#include <array>

namespace tessane {

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> makeTable() {
    std::array<int8_t, 256> t{};
    for (auto& v : t) v = -1;
    for (int i = 0; i < 64; ++i) t[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
    return t;
}
constexpr auto kTable = makeTable();
}  // namespace

std::string base64Encode(const Bytes& data) {
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= data.size(); i += 3) {
        const uint32_t v = data[i] << 16 | data[i + 1] << 8 | data[i + 2];
        out.push_back(kAlphabet[v >> 18 & 63]);
        out.push_back(kAlphabet[v >> 12 & 63]);
        out.push_back(kAlphabet[v >> 6 & 63]);
        out.push_back(kAlphabet[v & 63]);
    }
    const size_t rest = data.size() - i;
    if (rest == 1) {
        const uint32_t v = data[i] << 16;
        out.push_back(kAlphabet[v >> 18 & 63]);
        out.push_back(kAlphabet[v >> 12 & 63]);
        out += "==";
    } else if (rest == 2) {
        const uint32_t v = data[i] << 16 | data[i + 1] << 8;
        out.push_back(kAlphabet[v >> 18 & 63]);
        out.push_back(kAlphabet[v >> 12 & 63]);
        out.push_back(kAlphabet[v >> 6 & 63]);
        out.push_back('=');
    }
    return out;
}

std::optional<Bytes> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    Bytes out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int v[4];
        int pad = 0;
        for (int j = 0; j < 4; ++j) {
            const char c = text[i + j];
            if (c == '=') {
                // Padding only in the last group, only in its last two places, and only at the end.
                if (!last || j < 2) return std::nullopt;
                ++pad;
                v[j] = 0;
                continue;
            }
            if (pad > 0) return std::nullopt;
            v[j] = kTable[static_cast<uint8_t>(c)];
            if (v[j] < 0) return std::nullopt;
        }
        const uint32_t n = v[0] << 18 | v[1] << 12 | v[2] << 6 | v[3];
        // Strict: the bits that padding leaves unused must be zero.
        if (pad == 2 && (n & 0xFFFF) != 0) return std::nullopt;
        if (pad == 1 && (n & 0xFF) != 0) return std::nullopt;
        out.push_back(static_cast<uint8_t>(n >> 16));
        if (pad < 2) out.push_back(static_cast<uint8_t>(n >> 8 & 0xFF));
        if (pad < 1) out.push_back(static_cast<uint8_t>(n & 0xFF));
    }
    return out;
}

}  // namespace tessane
