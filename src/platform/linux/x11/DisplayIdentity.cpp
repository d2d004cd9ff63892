#include "platform/linux/x11/DisplayIdentity.h"

#include "base/Uuid.h"
#include "platform/linux/x11/Sha1.h"

#include <array>

namespace tessane::linux_backend::DisplayIdentity {

namespace {

// The name space of display identities (a fixed random UUID of our own).
constexpr std::array<uint8_t, 16> kNamespace = {0x6F, 0x1C, 0x2A, 0x9E, 0x5B, 0x43, 0x4D, 0x7A,
                                                0x9E, 0x0B, 0x3C, 0x8D, 0x2F, 0x4A, 0x1B, 0x57};

constexpr std::array<uint8_t, 8> kEdidHeader = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

std::string trimmedDescriptorText(const uint8_t* text) {
    std::string out;
    for (int i = 0; i < 13; ++i) {
        uint8_t c = text[i];
        if (c == 0x0A || c == 0x00) break;
        if (c >= 0x20 && c < 0x7F) out.push_back(static_cast<char>(c));
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace

std::optional<std::string> edidKey(const std::vector<uint8_t>& edid) {
    if (edid.size() < 128) return std::nullopt;
    for (size_t i = 0; i < kEdidHeader.size(); ++i)
        if (edid[i] != kEdidHeader[i]) return std::nullopt;

    // Manufacturer: three 5-bit letters, big-endian, 1 = 'A'.
    const unsigned vendorBits = (unsigned(edid[8]) << 8) | edid[9];
    std::string vendor;
    for (int shift : {10, 5, 0}) {
        unsigned letter = (vendorBits >> shift) & 0x1F;
        vendor.push_back(letter >= 1 && letter <= 26 ? static_cast<char>('A' + letter - 1) : '?');
    }
    const unsigned product = edid[10] | (unsigned(edid[11]) << 8);
    const uint32_t serial = edid[12] | (uint32_t(edid[13]) << 8) | (uint32_t(edid[14]) << 16) |
                            (uint32_t(edid[15]) << 24);

    std::string key = "edid:" + vendor + ":" + std::to_string(product) + ":" + std::to_string(serial);
    // Four 18-byte descriptors; a display descriptor starts 00 00 00 <tag>, 0xFF = serial text.
    for (size_t offset : {54, 72, 90, 108}) {
        const uint8_t* d = &edid[offset];
        if (d[0] == 0 && d[1] == 0 && d[2] == 0 && d[3] == 0xFF) {
            std::string text = trimmedDescriptorText(d + 5);
            if (!text.empty()) key += ":" + text;
            break;
        }
    }
    return key;
}

std::string nameBasedUuid(std::string_view name) {
    std::string input(kNamespace.begin(), kNamespace.end());
    input.append(name);
    auto digest = sha1(input);
    std::array<uint8_t, 16> bytes{};
    for (int i = 0; i < 16; ++i) bytes[i] = digest[i];
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x50);
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
    return Uuid(bytes).string();
}

}  // namespace tessane::linux_backend::DisplayIdentity
