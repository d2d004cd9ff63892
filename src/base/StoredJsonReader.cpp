#include "base/StoredJsonReader.h"

#include "base/Utf8.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace tessane {

DecodeFailure::DecodeFailure(std::string reason, std::string path)
    : std::runtime_error(describe(reason, path)), reason_(std::move(reason)), path_(std::move(path)) {}

void DecodeFailure::prepend(std::string_view segment) {
    std::string joined(segment);
    if (!path_.empty()) {
        if (path_.front() != '[') joined += '.';
        joined += path_;
    }
    path_ = std::move(joined);
    static_cast<std::runtime_error&>(*this) = std::runtime_error(describe(reason_, path_));
}

std::string DecodeFailure::describe(const std::string& reason, const std::string& path) {
    if (path.empty()) return reason;
    return reason + " (at " + path + ")";
}

namespace {

// Base64 decoding tables: each maps a character to its 6 bits already shifted into place for
// its position in a group of four, so a group decodes with four loads and three ORs. Characters
// outside the alphabet map to kBad, which survives the ORs.
constexpr uint32_t kBad = 0x01000000;

constexpr int sextet(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

constexpr std::array<uint32_t, 256> makeTable(int shift) {
    std::array<uint32_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const int v = sextet(static_cast<unsigned char>(c));
        t[c] = v < 0 ? kBad : static_cast<uint32_t>(v) << shift;
    }
    return t;
}

constexpr auto kD0 = makeTable(18);
constexpr auto kD1 = makeTable(12);
constexpr auto kD2 = makeTable(6);
constexpr auto kD3 = makeTable(0);

// Strict Base64 of a complete text: length a multiple of four, padding only at the end, unused
// bits zero. Writes into `out` (resized to fit).
bool decodeBase64Text(std::string_view text, Bytes& out) {
    if (text.size() % 4 != 0) return false;
    out.resize(text.size() / 4 * 3);
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    uint8_t* o = out.data();
    size_t groups = text.size() / 4;
    if (groups == 0) return true;
    // All groups but the last cannot hold padding.
    for (size_t g = 0; g + 1 < groups; ++g, s += 4, o += 3) {
        const uint32_t v = kD0[s[0]] | kD1[s[1]] | kD2[s[2]] | kD3[s[3]];
        if (v & kBad) return false;
        o[0] = static_cast<uint8_t>(v >> 16);
        o[1] = static_cast<uint8_t>(v >> 8);
        o[2] = static_cast<uint8_t>(v);
    }
    int pad = 0;
    if (s[3] == '=') pad = s[2] == '=' ? 2 : 1;
    const uint32_t v = kD0[s[0]] | kD1[s[1]] | (pad == 2 ? 0 : kD2[s[2]]) | (pad >= 1 ? 0 : kD3[s[3]]);
    if (v & kBad) return false;
    if ((pad == 2 && (v & 0xFFFF)) || (pad == 1 && (v & 0xFF))) return false;
    o[0] = static_cast<uint8_t>(v >> 16);
    if (pad < 2) o[1] = static_cast<uint8_t>(v >> 8);
    if (pad < 1) o[2] = static_cast<uint8_t>(v);
    out.resize(out.size() - static_cast<size_t>(pad));
    return true;
}

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

StoredJsonReader::StoredJsonReader(std::string_view text)
    : begin_(text.data()), p_(text.data()), end_(text.data() + text.size()) {}

void StoredJsonReader::syntaxError(const char* what) const {
    throw DecodeFailure(std::string("The data is not valid JSON: ") + what + " at offset " +
                        std::to_string(p_ - begin_) + ".");
}

void StoredJsonReader::skipSpace() {
    while (p_ < end_ && isSpace(*p_)) ++p_;
}

char StoredJsonReader::next() {
    skipSpace();
    if (p_ == end_) syntaxError("unexpected end of data");
    return *p_;
}

void StoredJsonReader::expect(char c) {
    if (next() != c) syntaxError("unexpected character");
    ++p_;
}

void StoredJsonReader::enter() {
    if (depth_ >= kMaxDepth) syntaxError("nesting too deep");
    ++depth_;
    first_[depth_] = true;
}

StoredJsonReader::Kind StoredJsonReader::peek() {
    switch (next()) {
        case '{': return Kind::object;
        case '[': return Kind::array;
        case '"': return Kind::string;
        case 't':
        case 'f': return Kind::boolean;
        case 'n': return Kind::null;
        default: break;
    }
    const char c = *p_;
    if (c == '-' || (c >= '0' && c <= '9')) return Kind::number;
    syntaxError("unexpected character");
}

void StoredJsonReader::beginArray() {
    expect('[');
    enter();
}

bool StoredJsonReader::nextElement() {
    const char c = next();
    if (c == ']') {
        ++p_;
        --depth_;
        return false;
    }
    if (first_[depth_]) {
        first_[depth_] = false;
        return true;
    }
    if (c != ',') syntaxError("expected ',' or ']'");
    ++p_;
    return true;
}

void StoredJsonReader::beginObject() {
    expect('{');
    enter();
}

bool StoredJsonReader::nextKey(std::string_view& key) {
    char c = next();
    if (c == '}') {
        ++p_;
        --depth_;
        return false;
    }
    if (first_[depth_]) {
        first_[depth_] = false;
    } else {
        if (c != ',') syntaxError("expected ',' or '}'");
        ++p_;
    }
    if (next() != '"') syntaxError("expected a key");
    key = readStringView();
    if (key.data() == scratch_.data()) {
        keyScratch_.assign(key);
        key = keyScratch_;
    }
    expect(':');
    return true;
}

bool StoredJsonReader::consumeNull() {
    if (next() != 'n') return false;
    readLiteral("null");
    return true;
}

void StoredJsonReader::readLiteral(std::string_view word) {
    if (static_cast<size_t>(end_ - p_) < word.size() || std::string_view(p_, word.size()) != word)
        syntaxError("unexpected character");
    p_ += word.size();
}

bool StoredJsonReader::readBool() {
    if (next() == 't') {
        readLiteral("true");
        return true;
    }
    readLiteral("false");
    return false;
}

std::string_view StoredJsonReader::readStringView() {
    expect('"');
    // Fast path: plain ASCII without escapes is returned in place.
    const char* start = p_;
    const char* q = p_;
    while (q < end_) {
        const auto c = static_cast<unsigned char>(*q);
        if (c == '"') {
            p_ = q + 1;
            return {start, static_cast<size_t>(q - start)};
        }
        if (c == '\\' || c < 0x20 || c >= 0x80) break;
        ++q;
    }
    scratch_.assign(start, q);
    p_ = q;
    readEscapedString(scratch_);
    return scratch_;
}

void StoredJsonReader::readEscapedString(std::string& out) {
    while (true) {
        if (p_ >= end_) syntaxError("unterminated string");
        const auto c = static_cast<unsigned char>(*p_);
        if (c == '"') {
            ++p_;
            return;
        }
        if (c < 0x20) syntaxError("control character in string");
        if (c >= 0x80) {
            const size_t n = utf8SequenceLength(reinterpret_cast<const unsigned char*>(p_),
                                                reinterpret_cast<const unsigned char*>(end_));
            if (n == 0) syntaxError("invalid UTF-8 in string");
            out.append(p_, n);
            p_ += n;
            continue;
        }
        if (c != '\\') {
            out.push_back(static_cast<char>(c));
            ++p_;
            continue;
        }
        if (end_ - p_ < 2) syntaxError("unterminated string");
        const char e = p_[1];
        p_ += 2;
        switch (e) {
            case '"': out.push_back('"'); break;
            case '\\': out.push_back('\\'); break;
            case '/': out.push_back('/'); break;
            case 'b': out.push_back('\b'); break;
            case 'f': out.push_back('\f'); break;
            case 'n': out.push_back('\n'); break;
            case 'r': out.push_back('\r'); break;
            case 't': out.push_back('\t'); break;
            case 'u': {
                auto hex4 = [this]() -> uint32_t {
                    if (end_ - p_ < 4) syntaxError("bad \\u escape");
                    uint32_t v = 0;
                    for (int i = 0; i < 4; ++i) {
                        const int d = hexDigit(p_[i]);
                        if (d < 0) syntaxError("bad \\u escape");
                        v = v << 4 | static_cast<uint32_t>(d);
                    }
                    p_ += 4;
                    return v;
                };
                uint32_t cp = hex4();
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    if (end_ - p_ < 2 || p_[0] != '\\' || p_[1] != 'u') syntaxError("unpaired surrogate");
                    p_ += 2;
                    const uint32_t low = hex4();
                    if (low < 0xDC00 || low > 0xDFFF) syntaxError("unpaired surrogate");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    syntaxError("unpaired surrogate");
                }
                appendUtf8(out, cp);
                break;
            }
            default: syntaxError("bad escape");
        }
    }
}

std::string StoredJsonReader::readString() {
    if (next() != '"') syntaxError("expected a string");
    return std::string(readStringView());
}

std::optional<std::string_view> StoredJsonReader::readRawBase64() {
    if (next() != '"') syntaxError("expected a string");
    // Base64 never needs escapes, so the closing quote is the first quote unless an escape
    // precedes it.
    const char* start = p_ + 1;
    const void* q = std::memchr(start, '"', static_cast<size_t>(end_ - start));
    if (!q || std::memchr(start, '\\', static_cast<size_t>(static_cast<const char*>(q) - start))) return std::nullopt;
    const char* close = static_cast<const char*>(q);
    p_ = close + 1;
    return std::string_view(start, static_cast<size_t>(close - start));
}

bool StoredJsonReader::readBase64(Bytes& out) {
    if (const auto text = readRawBase64()) return decodeBase64(*text, out);
    return decodeBase64(readStringView(), out);
}

bool StoredJsonReader::decodeBase64(std::string_view text, Bytes& out) { return decodeBase64Text(text, out); }

std::string_view StoredJsonReader::scanNumber() {
    skipSpace();
    const char* start = p_;
    const char* q = p_;
    auto digit = [&](const char* at) { return at < end_ && *at >= '0' && *at <= '9'; };
    if (q < end_ && *q == '-') ++q;
    if (!digit(q)) {
        p_ = q;
        syntaxError("bad number");
    }
    if (*q == '0') {
        ++q;
    } else {
        while (digit(q)) ++q;
    }
    if (q < end_ && *q == '.') {
        ++q;
        if (!digit(q)) {
            p_ = q;
            syntaxError("bad number");
        }
        while (digit(q)) ++q;
    }
    if (q < end_ && (*q == 'e' || *q == 'E')) {
        ++q;
        if (q < end_ && (*q == '+' || *q == '-')) ++q;
        if (!digit(q)) {
            p_ = q;
            syntaxError("bad number");
        }
        while (digit(q)) ++q;
    }
    p_ = q;
    return {start, static_cast<size_t>(q - start)};
}

std::string_view StoredJsonReader::readNumberText() {
    if (peek() != Kind::number) syntaxError("expected a number");
    return scanNumber();
}

double StoredJsonReader::readNumber() { return numberValue(scanNumber()); }

double StoredJsonReader::numberValue(std::string_view text) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: decide which from the decimal magnitude. A value
        // too large becomes infinite and is dropped where numbers enter the model; one too small
        // is zero.
        const bool negative = text.front() == '-';
        size_t i = negative ? 1 : 0;
        long long magnitude = 0;
        bool seenNonZero = false;
        long long leadingFractionZeros = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            if (text[i] != '0') seenNonZero = true;
            if (seenNonZero) ++magnitude;
        }
        if (i < text.size() && text[i] == '.') {
            for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
                if (!seenNonZero) {
                    if (text[i] == '0') ++leadingFractionZeros;
                    else seenNonZero = true;
                }
            }
        }
        if (magnitude == 0) magnitude = -leadingFractionZeros;
        long long exponent = 0;
        if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
            ++i;
            bool expNegative = false;
            if (text[i] == '+' || text[i] == '-') expNegative = text[i++] == '-';
            for (; i < text.size(); ++i) {
                if (exponent < 100'000'000) exponent = exponent * 10 + (text[i] - '0');
            }
            if (expNegative) exponent = -exponent;
        }
        const bool huge = seenNonZero && magnitude + exponent > 0;
        value = huge ? std::numeric_limits<double>::infinity() : 0.0;
        if (negative) value = -value;
    } else if (ec != std::errc() || ptr != text.data() + text.size()) {
        throw DecodeFailure("The data is not valid JSON: bad number.");
    }
    return value;
}

uint32_t StoredJsonReader::readUInt32() {
    const char* at = p_;
    const double v = readNumber();
    if (!(v >= 0 && v <= 4294967295.0) || v != std::floor(v)) {
        p_ = at;
        throw DecodeFailure("Expected a whole number from 0 to 4294967295.");
    }
    return static_cast<uint32_t>(v);
}

void StoredJsonReader::skipValue() {
    switch (peek()) {
        case Kind::object: {
            beginObject();
            std::string_view key;
            while (nextKey(key)) skipValue();
            break;
        }
        case Kind::array:
            beginArray();
            while (nextElement()) skipValue();
            break;
        case Kind::string: readStringView(); break;
        case Kind::number: scanNumber(); break;
        case Kind::boolean: readBool(); break;
        case Kind::null: readLiteral("null"); break;
    }
}

void StoredJsonReader::expectEnd() {
    skipSpace();
    if (p_ != end_) syntaxError("unexpected data after the end");
}

}  // namespace tessane
