#include "model/StoredJsonWriter.h"

#include "base/Utf8.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace tessane {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Every 12-bit value as its two Base64 characters (in memory order): one lookup per half of a
// 3-byte group.
struct PairTable {
    std::array<uint16_t, 4096> pairs{};
    PairTable() {
        for (int i = 0; i < 4096; ++i) {
            const char two[2] = {kAlphabet[i >> 6], kAlphabet[i & 63]};
            std::memcpy(&pairs[static_cast<size_t>(i)], two, 2);
        }
    }
};
const PairTable kPairs;

}  // namespace

void StoredJsonWriter::separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (needsComma_) out_.push_back(',');
    needsComma_ = true;
}

void StoredJsonWriter::beginObject() {
    separate();
    out_.push_back('{');
    needsComma_ = false;
}

void StoredJsonWriter::endObject() {
    out_.push_back('}');
    needsComma_ = true;
}

void StoredJsonWriter::beginArray() {
    separate();
    out_.push_back('[');
    needsComma_ = false;
}

void StoredJsonWriter::endArray() {
    out_.push_back(']');
    needsComma_ = true;
}

void StoredJsonWriter::key(std::string_view name) {
    separate();
    escaped(name);
    out_.push_back(':');
    afterKey_ = true;
}

void StoredJsonWriter::string(std::string_view value) {
    separate();
    escaped(value);
}

void StoredJsonWriter::escaped(std::string_view value) {
    out_.push_back('"');
    const auto* p = reinterpret_cast<const unsigned char*>(value.data());
    const auto* end = p + value.size();
    while (p < end) {
        // Copy the longest run that needs no care in one go.
        const auto* run = p;
        while (p < end && *p >= 0x20 && *p < 0x80 && *p != '"' && *p != '\\') ++p;
        out_.append(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run));
        if (p == end) break;
        const unsigned char c = *p;
        if (c >= 0x80) {
            if (const size_t n = utf8SequenceLength(p, end)) {
                out_.append(reinterpret_cast<const char*>(p), n);
                p += n;
            } else {
                out_ += "\xEF\xBF\xBD";  // U+FFFD
                ++p;
            }
            continue;
        }
        switch (c) {
            case '"': out_ += "\\\""; break;
            case '\\': out_ += "\\\\"; break;
            case '\b': out_ += "\\b"; break;
            case '\f': out_ += "\\f"; break;
            case '\n': out_ += "\\n"; break;
            case '\r': out_ += "\\r"; break;
            case '\t': out_ += "\\t"; break;
            default: {
                static constexpr char hex[] = "0123456789abcdef";
                const char u[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xF]};
                out_.append(u, sizeof u);
            }
        }
        ++p;
    }
    out_.push_back('"');
}

void StoredJsonWriter::number(double value) {
    separate();
    if (!std::isfinite(value)) value = 0;
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    (void)ec;
    out_.append(buf, end);
}

void StoredJsonWriter::unsignedInteger(uint64_t value) {
    separate();
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    (void)ec;
    out_.append(buf, end);
}

void StoredJsonWriter::boolean(bool value) {
    separate();
    out_ += value ? "true" : "false";
}

void StoredJsonWriter::base64(const Bytes& data) {
    separate();
    out_.push_back('"');
    // Encoded in small blocks that stay in the cache and are then appended, so the output is
    // written once rather than zero-filled first.
    constexpr size_t kGroupsPerBlock = 1024;
    char block[kGroupsPerBlock * 4];
    const uint8_t* s = data.data();
    size_t groups = data.size() / 3;
    while (groups > 0) {
        const size_t n = std::min(groups, kGroupsPerBlock);
        char* o = block;
        for (size_t g = 0; g < n; ++g, s += 3, o += 4) {
            const uint32_t v = uint32_t(s[0]) << 16 | uint32_t(s[1]) << 8 | s[2];
            // Two pairs stored at once; byte order as in memory, whatever the machine's.
            uint16_t quad[2] = {kPairs.pairs[v >> 12], kPairs.pairs[v & 0xFFF]};
            std::memcpy(o, quad, 4);
        }
        out_.append(block, n * 4);
        groups -= n;
    }
    const size_t rest = data.size() % 3;
    if (rest == 1) {
        const uint32_t v = uint32_t(s[0]) << 16;
        const char tail[] = {kAlphabet[v >> 18], kAlphabet[v >> 12 & 63], '=', '='};
        out_.append(tail, 4);
    } else if (rest == 2) {
        const uint32_t v = uint32_t(s[0]) << 16 | uint32_t(s[1]) << 8;
        const char tail[] = {kAlphabet[v >> 18], kAlphabet[v >> 12 & 63], kAlphabet[v >> 6 & 63], '='};
        out_.append(tail, 4);
    }
    out_.push_back('"');
}

}  // namespace tessane
