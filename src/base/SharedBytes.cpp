#include "base/SharedBytes.h"

#include <cstring>

namespace tessane {
namespace {

// A hash of the length and a few words spread over the bytes, so that thousands of icons of a
// few kilobytes each are told apart without reading them whole; equal hashes are compared in full.
size_t sampledHash(const Bytes& bytes) {
    constexpr size_t kSamples = 16;
    size_t h = std::hash<size_t>{}(bytes.size());
    const auto mix = [&h](uint64_t word) { h ^= std::hash<uint64_t>{}(word) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
    if (bytes.size() < sizeof(uint64_t) * kSamples) {
        for (uint8_t b : bytes) mix(b);
        return h;
    }
    const size_t step = (bytes.size() - sizeof(uint64_t)) / (kSamples - 1);
    for (size_t i = 0; i < kSamples; ++i) {
        uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i * step, sizeof word);
        mix(word);
    }
    return h;
}

}  // namespace

const Bytes& SharedBytes::none() {
    static const Bytes none;
    return none;
}

SharedBytes SharedBytesPool::intern(const Bytes& bytes) {
    const size_t hash = sampledHash(bytes);
    const auto [first, last] = pool_.equal_range(hash);
    for (auto it = first; it != last; ++it)
        if (it->second.bytes() == bytes) return it->second;
    return pool_.emplace(hash, SharedBytes(bytes))->second;
}

}  // namespace tessane
