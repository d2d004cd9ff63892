#include "shell/LinkURL.h"

#include "base/Utf8.h"

namespace tessane {

namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const size_t n = utf8SequenceLength(p, end);
        if (n == 0) return false;
        p += n;
    }
    return true;
}

// The host of an authority: without "user@" and ":port" (an IPv6 literal keeps its colons).
std::string_view hostOf(std::string_view authority) {
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        return close == std::string_view::npos ? authority : authority.substr(0, close + 1);
    }
    if (const auto colon = authority.rfind(':'); colon != std::string_view::npos) {
        bool port = true;
        for (char c : authority.substr(colon + 1)) port = port && isDigit(c);
        if (port) authority = authority.substr(0, colon);
    }
    return authority;
}

}  // namespace

std::optional<std::string> LinkURL::percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    if (!isValidUtf8(out)) return std::nullopt;
    return out;
}

std::optional<LinkURL> LinkURL::split(std::string_view text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return std::nullopt;
    if (!isValidUtf8(text)) return std::nullopt;

    // scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ), then ":"
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isAlpha(text[0])) return std::nullopt;
    for (char c : text.substr(0, colon))
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return std::nullopt;

    LinkURL url;
    url.scheme = std::string(text.substr(0, colon));
    std::string_view rest = text.substr(colon + 1);
    if (const auto hash = rest.find('#'); hash != std::string_view::npos) rest = rest.substr(0, hash);
    std::optional<std::string_view> query;
    if (const auto q = rest.find('?'); q != std::string_view::npos) {
        query = rest.substr(q + 1);
        rest = rest.substr(0, q);
    }
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const auto slash = rest.find('/');
        const std::string_view authority = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
        auto host = percentDecoded(hostOf(authority));
        if (!host) return std::nullopt;
        if (!host->empty()) url.host = std::move(*host);
    }
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
        if (segment.empty()) continue;
        auto decoded = percentDecoded(segment);
        if (!decoded) return std::nullopt;
        url.pathSegments.push_back(std::move(*decoded));
    }
    if (query) {
        url.queryItems.emplace();
        std::string_view items = *query;
        while (true) {
            const auto amp = items.find('&');
            const std::string_view item = items.substr(0, amp);
            const auto eq = item.find('=');
            auto name = percentDecoded(item.substr(0, eq));
            if (!name) return std::nullopt;
            std::optional<std::string> value;
            if (eq != std::string_view::npos) {
                value = percentDecoded(item.substr(eq + 1));
                if (!value) return std::nullopt;
            }
            url.queryItems->push_back({std::move(*name), std::move(value)});
            if (amp == std::string_view::npos) break;
            items.remove_prefix(amp + 1);
        }
    }
    return url;
}

}  // namespace tessane
