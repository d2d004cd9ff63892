#pragma once

#include "base/Base64.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessane {

// Bytes that never change once made, so copies share one buffer: copying costs a reference
// count, and comparing two copies of the same buffer doesn't look at the bytes. Made for data that
// many records repeat (an app's icon, stored once per workspace that uses the app).
class SharedBytes {
public:
    SharedBytes() = default;  // empty
    SharedBytes(Bytes bytes) : bytes_(std::make_shared<const Bytes>(std::move(bytes))) {}

    const Bytes& bytes() const { return bytes_ ? *bytes_ : none(); }
    // Reads as the bytes it holds wherever plain bytes are asked for.
    operator const Bytes&() const { return bytes(); }
    const uint8_t* data() const { return bytes().data(); }
    size_t size() const { return bytes().size(); }
    bool empty() const { return bytes().empty(); }
    Bytes::const_iterator begin() const { return bytes().begin(); }
    Bytes::const_iterator end() const { return bytes().end(); }

    // Whether both are the one buffer (not merely equal bytes).
    bool sharesBufferWith(const SharedBytes& other) const { return bytes_ == other.bytes_; }

    friend bool operator==(const SharedBytes& a, const SharedBytes& b) {
        return a.bytes_ == b.bytes_ || a.bytes() == b.bytes();
    }
    friend bool operator==(const SharedBytes& a, const Bytes& b) { return a.bytes() == b; }

private:
    static const Bytes& none();

    std::shared_ptr<const Bytes> bytes_;
};

// A hash of the length and a few words spread over the value, for long values that are often
// equal (a few kilobytes of an icon): cheap whatever the length, and equal hashes are then
// compared in full.
struct SampledHash {
    size_t operator()(std::string_view value) const;
};

// Hands out one buffer per distinct content: what it is given is compared with what it already
// holds, and equal bytes come back as the buffer made first. For one batch of records (a loaded
// list); it keeps every buffer it made alive until it is gone.
class SharedBytesPool {
public:
    SharedBytes intern(const Bytes& bytes);

private:
    std::unordered_multimap<size_t, SharedBytes> pool_;
};

}  // namespace tessane
