#include "platform/linux/desktop/DesktopEntry.h"

#include "base/FileRead.h"

#include <string_view>
#include <vector>

namespace tessane::linux_desktop {
namespace {

std::string_view trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

std::string unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out.push_back(s[i]);
            continue;
        }
        switch (s[++i]) {
            case 's': out.push_back(' '); break;
            case 'n': out.push_back('\n'); break;
            case 't': out.push_back('\t'); break;
            case 'r': out.push_back('\r'); break;
            case '\\': out.push_back('\\'); break;
            default:
                out.push_back('\\');
                out.push_back(s[i]);
        }
    }
    return out;
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::read(const std::filesystem::path& path, std::string* why) {
    FileRead file = readRegularFile(path, file_limits::kDesktopEntry);
    if (!file) {
        if (why) *why = file.status == FileRead::Status::missing ? std::string() : file.error;
        return std::nullopt;
    }
    auto entry = parse(file.contents());
    if (!entry && why) *why = "no [Desktop Entry] group";
    return entry;
}

std::optional<DesktopEntry> DesktopEntry::parse(std::string_view text) {
    // Lines are looked at in place, so parsing costs little beyond the values kept.
    DesktopEntry entry;
    bool inGroup = false, found = false;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        const std::string_view t = trim(text.substr(0, nl));
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (t.empty() || t[0] == '#') continue;
        if (t[0] == '[') {
            inGroup = t == "[Desktop Entry]";
            found = found || inGroup;
            continue;
        }
        if (!inGroup) continue;
        const size_t eq = t.find('=');
        if (eq == std::string_view::npos) continue;
        // The first occurrence of a key counts.
        const std::string key(trim(t.substr(0, eq)));
        if (!entry.values_.count(key)) entry.values_.emplace(key, unescape(trim(t.substr(eq + 1))));
    }
    if (!found) return std::nullopt;
    return entry;
}

std::optional<std::string> DesktopEntry::value(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> DesktopEntry::localized(const std::string& key, const std::string& locale) const {
    // lang_COUNTRY.ENCODING@MODIFIER, every part but lang optional.
    std::string lang = locale, country, modifier;
    if (auto at = lang.find('@'); at != std::string::npos) {
        modifier = lang.substr(at + 1);
        lang.erase(at);
    }
    if (auto dot = lang.find('.'); dot != std::string::npos) lang.erase(dot);
    if (auto us = lang.find('_'); us != std::string::npos) {
        country = lang.substr(us + 1);
        lang.erase(us);
    }
    std::vector<std::string> candidates;
    if (!lang.empty() && lang != "C" && lang != "POSIX") {
        if (!country.empty() && !modifier.empty()) candidates.push_back(lang + "_" + country + "@" + modifier);
        if (!country.empty()) candidates.push_back(lang + "_" + country);
        if (!modifier.empty()) candidates.push_back(lang + "@" + modifier);
        candidates.push_back(lang);
    }
    for (const auto& c : candidates)
        if (auto v = value(key + "[" + c + "]")) return v;
    return value(key);
}

bool DesktopEntry::isApplication() const { return value("Type") == "Application" && !boolean("Hidden"); }

}  // namespace tessane::linux_desktop
