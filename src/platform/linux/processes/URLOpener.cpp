#include "platform/linux/processes/URLOpener.h"

#include "platform/linux/processes/ProcessLauncher.h"

#include <algorithm>

namespace tessane::linux_backend {
namespace fs = std::filesystem;

namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// RFC 3986: a letter, then letters, digits, '+', '-' or '.', up to the colon.
bool hasScheme(std::string_view url) {
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isAsciiLetter(url[0])) return false;
    return std::all_of(url.begin(), url.begin() + colon, [](char c) {
        return isAsciiLetter(c) || isAsciiDigit(c) || c == '+' || c == '-' || c == '.';
    });
}

bool hasControlCharacters(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7f;
    });
}

// A help topic is a plain name: it never reaches outside the help folder.
bool isPlainTopic(std::string_view topic) {
    return !topic.empty() && std::all_of(topic.begin(), topic.end(), [](char c) {
        return isAsciiLetter(c) || isAsciiDigit(c) || c == '-' || c == '_';
    });
}

void say(std::string* why, std::string text) {
    if (why) *why = std::move(text);
}

}  // namespace

std::string URLOpener::fileURL(const fs::path& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "file://";
    for (char c : path.string()) {
        if (isAsciiLetter(c) || isAsciiDigit(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            out += c;
        } else {
            const auto b = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        }
    }
    return out;
}

std::optional<std::string> URLOpener::resolve(const std::string& url, const fs::path& helpFolder, std::string* why) {
    if (!hasScheme(url) || hasControlCharacters(url)) {
        say(why, "it is not a link.");
        return std::nullopt;
    }
    if (!url.starts_with(kHelpPrefix)) return url;

    const std::string topic = url.substr(kHelpPrefix.size());
    if (!isPlainTopic(topic)) {
        say(why, "“" + topic + "” is not a help topic.");
        return std::nullopt;
    }
    std::error_code ec;
    fs::path page = fs::absolute(helpFolder / (topic + ".html"), ec);
    if (ec || !fs::is_regular_file(page, ec)) {
        say(why, "the help page " + (helpFolder / (topic + ".html")).string() + " is missing.");
        return std::nullopt;
    }
    return fileURL(page.lexically_normal());
}

bool URLOpener::open(const std::string& url, const fs::path& helpFolder, std::string* why,
                     const std::string& handler) {
    const auto target = resolve(url, helpFolder, why);
    if (!target) return false;
    const auto result = ProcessLauncher::launchDetached({handler, *target}, {});
    if (!result.ok()) {
        say(why, result.description);
        return false;
    }
    return true;
}

}  // namespace tessane::linux_backend
