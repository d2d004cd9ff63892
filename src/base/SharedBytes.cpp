#include "base/SharedBytes.h"

#include <cstring>

namespace tessane {

size_t SampledHash::operator()(std::string_view value) const {
    constexpr size_t kSamples = 16;
    size_t h = std::hash<size_t>{}(value.size());
    const auto mix = [&h](uint64_t word) { h ^= std::hash<uint64_t>{}(word) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
    if (value.size() < sizeof(uint64_t) * kSamples) {
        for (char c : value) mix(static_cast<unsigned char>(c));
        return h;
    }
    const size_t step = (value.size() - sizeof(uint64_t)) / (kSamples - 1);
    for (size_t i = 0; i < kSamples; ++i) {
        uint64_t word = 0;
        std::memcpy(&word, value.data() + i * step, sizeof word);
        mix(word);
    }
    return h;
}

const Bytes& SharedBytes::none() {
    static const Bytes none;
    return none;
}

SharedBytes SharedBytesPool::intern(const Bytes& bytes) {
    const size_t hash = SampledHash{}({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    const auto [first, last] = pool_.equal_range(hash);
    for (auto it = first; it != last; ++it)
        if (it->second.bytes() == bytes) return it->second;
    return pool_.emplace(hash, SharedBytes(bytes))->second;
}

}  // namespace tessane
