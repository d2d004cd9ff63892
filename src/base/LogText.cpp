#include "base/LogText.h"

#include "base/Utf8.h"

#include <cstdio>

namespace tessane {

namespace {

void appendEscaped(std::string& out, char32_t c) {
    switch (c) {
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "\\u{%X}", static_cast<unsigned>(c));
        out += buf;
    }
    }
}

// The code point of a well-formed sequence of two or three bytes (four-byte ones are never
// escaped, so they are not decoded).
char32_t codePoint(const unsigned char* p, size_t n) {
    const unsigned char c = *p;
    return n == 2 ? ((c & 0x1Fu) << 6) | (p[1] & 0x3Fu)
                  : n == 3 ? ((c & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu) : 0;
}

bool escaped(char32_t point) { return (point >= 0x80 && point <= 0x9F) || point == 0x2028 || point == 0x2029; }

}  // namespace

void appendLogSafe(std::string& out, std::string_view text, bool quoting) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            if (quoting && (c == '"' || c == '\\')) out += '\\';
            if (c < 0x20 || c == 0x7F) appendEscaped(out, c);
            else out += static_cast<char>(c);
            ++p;
            continue;
        }
        const size_t n = utf8SequenceLength(p, end);
        if (n == 0) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x{%02X}", c);
            out += buf;
            ++p;
            continue;
        }
        const char32_t point = codePoint(p, n);
        if (escaped(point)) appendEscaped(out, point);
        else out.append(reinterpret_cast<const char*>(p), n);
        p += n;
    }
}

std::string logSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendLogSafe(out, text, false);
    return out;
}

bool isLogSafe(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7F) return false;
            ++p;
            continue;
        }
        const size_t n = utf8SequenceLength(p, end);
        if (n == 0 || escaped(codePoint(p, n))) return false;
        p += n;
    }
    return true;
}

}  // namespace tessane
