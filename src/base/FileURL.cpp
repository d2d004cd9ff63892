#include "base/FileURL.h"

#include <algorithm>
#include <vector>

namespace tessane {

namespace {

bool isAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (isAsciiDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::string> filePathFromURL(std::string_view url) {
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isAsciiAlpha(url[0])) return std::nullopt;
    for (char c : url.substr(0, colon))
        if (!isAsciiAlpha(c) && !isAsciiDigit(c) && c != '+' && c != '-' && c != '.')
            return std::nullopt;
    std::string scheme(url.substr(0, colon));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (scheme != "file") return std::nullopt;

    std::string_view rest = url.substr(colon + 1);
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const auto slash = rest.find('/');
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
    }
    if (rest.empty() || rest[0] != '/') return std::nullopt;

    std::string decoded;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            decoded += rest[i];
            continue;
        }
        if (i + 2 >= rest.size()) return std::nullopt;
        const int hi = hexValue(rest[i + 1]), lo = hexValue(rest[i + 2]);
        if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) return std::nullopt;
        decoded += static_cast<char>(hi * 16 + lo);
        i += 2;
    }

    std::vector<std::string> parts;
    size_t start = 1;
    while (start <= decoded.size()) {
        const auto end = std::min(decoded.find('/', start), decoded.size());
        const std::string part = decoded.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (part != "." && !(part.empty() && end == decoded.size())) {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string path;
    for (auto& p : parts) path += "/" + p;
    return path.empty() ? std::string("/") : path;
}

}  // namespace tessane
