#include "platform/linux/desktop/IconThemeIndex.h"

#include <map>
#include <optional>
#include <sstream>

namespace tessane::linux_desktop {
namespace {

std::string trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

std::vector<std::string> splitList(const std::string& s) {
    std::vector<std::string> out;
    std::string item;
    std::istringstream in(s);
    while (std::getline(in, item, ','))
        if (item = trimmed(item); !item.empty()) out.push_back(item);
    return out;
}

// A whole number in [least, kLargestValue]; digits only, so "12px", "-3" and "1e9" are not.
std::optional<int> count(const std::string& text, int least) {
    const std::string s = trimmed(text);
    if (s.empty()) return std::nullopt;
    int64_t v = 0;
    for (const char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > IconThemeIndex::kLargestValue) return std::nullopt;
    }
    if (v < least) return std::nullopt;
    return static_cast<int>(v);
}

// A folder below the theme's folder: relative, and never a step up.
bool staysInside(const std::string& folder) {
    if (folder.empty() || folder.front() == '/' || folder.find('\0') != std::string::npos) return false;
    std::istringstream steps(folder);
    std::string step;
    while (std::getline(steps, step, '/'))
        if (step == "..") return false;
    return true;
}

using Groups = std::map<std::string, std::map<std::string, std::string>>;

// The groups of the file: group name -> key -> value; the first value of a key counts.
Groups readGroups(std::istream& in) {
    Groups groups;
    std::string line, group;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            group = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        while (!key.empty() && key.back() == ' ') key.pop_back();
        while (!value.empty() && value.front() == ' ') value.erase(0, 1);
        groups[group].emplace(key, value);
    }
    return groups;
}

}  // namespace

bool IconThemeIndex::Directory::matches(int wanted) const {
    if (scale != 1) return false;
    switch (type) {
        case Type::fixed: return size == wanted;
        case Type::scalable: return minSize <= wanted && wanted <= maxSize;
        case Type::threshold:
            return int64_t{size} - threshold <= wanted && wanted <= int64_t{size} + threshold;
    }
    return false;
}

int64_t IconThemeIndex::Directory::distance(int wanted) const {
    const int64_t w = wanted, s = scale;
    int64_t low = 0, high = 0;
    switch (type) {
        case Type::fixed: low = high = int64_t{size} * s; break;
        case Type::scalable:
            low = int64_t{minSize} * s;
            high = int64_t{maxSize} * s;
            break;
        case Type::threshold:
            low = (int64_t{size} - threshold) * s;
            high = (int64_t{size} + threshold) * s;
            break;
    }
    if (w < low) return low - w;
    if (w > high) return w - high;
    return 0;
}

bool IconThemeIndex::isThemeName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

IconThemeIndex IconThemeIndex::parse(std::istream& in) {
    Groups groups = readGroups(in);
    IconThemeIndex index;
    const auto& head = groups["Icon Theme"];
    if (auto it = head.find("Inherits"); it != head.end())
        for (auto& name : splitList(it->second))
            if (isThemeName(name)) index.inherits.push_back(std::move(name));
    std::vector<std::string> names;
    for (const char* listKey : {"Directories", "ScaledDirectories"})
        if (auto it = head.find(listKey); it != head.end())
            for (auto& d : splitList(it->second))
                if (staysInside(d)) names.push_back(std::move(d));
    for (const auto& dirName : names) {
        auto g = groups.find(dirName);
        if (g == groups.end()) continue;
        const auto& keys = g->second;
        auto get = [&](const char* k) {
            auto it = keys.find(k);
            return it == keys.end() ? std::string() : it->second;
        };
        Directory d;
        d.path = dirName;
        const auto size = count(get("Size"), 1);
        if (!size) continue;  // Size is required
        d.size = *size;
        d.scale = count(get("Scale"), 1).value_or(1);
        d.minSize = count(get("MinSize"), 0).value_or(d.size);
        d.maxSize = count(get("MaxSize"), 0).value_or(d.size);
        d.threshold = count(get("Threshold"), 0).value_or(2);
        const std::string type = trimmed(get("Type"));
        d.type = type == "Fixed" ? Directory::Type::fixed
                 : type == "Scalable" ? Directory::Type::scalable
                                      : Directory::Type::threshold;
        index.directories.push_back(std::move(d));
    }
    return index;
}

}  // namespace tessane::linux_desktop
