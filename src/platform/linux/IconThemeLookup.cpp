#include "platform/linux/IconThemeLookup.h"


#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace tessane::linux_desktop {
namespace fs = std::filesystem;

namespace {

constexpr const char* kExtensions[] = {".png", ".svg", ".xpm"};

std::vector<std::string> splitList(const std::string& s) {
    std::vector<std::string> out;
    std::string item;
    std::istringstream in(s);
    while (std::getline(in, item, ',')) {
        while (!item.empty() && item.front() == ' ') item.erase(0, 1);
        while (!item.empty() && item.back() == ' ') item.pop_back();
        if (!item.empty()) out.push_back(item);
    }
    return out;
}

int toInt(const std::string& s, int fallback) {
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (end == s.c_str() || v < 0 || v > 65536) return fallback;
    return static_cast<int>(v);
}

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

// The groups of an index.theme file: group name -> key -> value.
std::map<std::string, std::map<std::string, std::string>> readIni(const fs::path& path) {
    std::map<std::string, std::map<std::string, std::string>> groups;
    std::ifstream in(path);
    std::string line, group;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            group = line.substr(1, line.find(']') == std::string::npos ? std::string::npos : line.find(']') - 1);
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

bool IconThemeLookup::Directory::matches(int wanted) const {
    if (scale != 1) return false;
    switch (type) {
        case Type::fixed: return size == wanted;
        case Type::scalable: return minSize <= wanted && wanted <= maxSize;
        case Type::threshold: return size - threshold <= wanted && wanted <= size + threshold;
    }
    return false;
}

int IconThemeLookup::Directory::distance(int wanted) const {
    switch (type) {
        case Type::fixed: return std::abs(size * scale - wanted);
        case Type::scalable:
            if (wanted < minSize * scale) return minSize * scale - wanted;
            if (wanted > maxSize * scale) return wanted - maxSize * scale;
            return 0;
        case Type::threshold:
            if (wanted < (size - threshold) * scale) return (size - threshold) * scale - wanted;
            if (wanted > (size + threshold) * scale) return wanted - (size + threshold) * scale;
            return 0;
    }
    return INT_MAX;
}

IconThemeLookup::IconThemeLookup(std::vector<fs::path> iconFolders, std::vector<fs::path> pixmapFolders,
                                 std::string themeName)
    : iconFolders_(std::move(iconFolders)), pixmapFolders_(std::move(pixmapFolders)), themeName_(std::move(themeName)) {}

std::optional<IconThemeLookup::Theme> IconThemeLookup::loadTheme(const std::string& name) const {
    for (const auto& folder : iconFolders_) {
        const fs::path index = folder / name / "index.theme";
        if (!isFile(index)) continue;
        auto groups = readIni(index);
        Theme theme;
        const auto& head = groups["Icon Theme"];
        if (auto it = head.find("Inherits"); it != head.end()) theme.inherits = splitList(it->second);
        std::vector<std::string> names;
        for (const char* listKey : {"Directories", "ScaledDirectories"}) {
            if (auto it = head.find(listKey); it != head.end())
                for (auto& d : splitList(it->second)) names.push_back(d);
        }
        for (const auto& dirName : names) {
            auto g = groups.find(dirName);
            if (g == groups.end()) continue;
            const auto& keys = g->second;
            auto get = [&](const char* k) -> std::string {
                auto it = keys.find(k);
                return it == keys.end() ? std::string() : it->second;
            };
            Directory d;
            d.path = dirName;
            d.size = toInt(get("Size"), 0);
            if (d.size == 0) continue;  // Size is required
            d.scale = toInt(get("Scale"), 1);
            d.minSize = toInt(get("MinSize"), d.size);
            d.maxSize = toInt(get("MaxSize"), d.size);
            d.threshold = toInt(get("Threshold"), 2);
            const std::string type = get("Type");
            d.type = type == "Fixed" ? Directory::Type::fixed
                     : type == "Scalable" ? Directory::Type::scalable
                                          : Directory::Type::threshold;
            theme.directories.push_back(std::move(d));
        }
        return theme;
    }
    return std::nullopt;
}

std::optional<fs::path> IconThemeLookup::lookupIcon(const std::string& theme, const Theme& t,
                                                    const std::string& iconName, int size) const {
    for (const auto& dir : t.directories) {
        if (!dir.matches(size)) continue;
        for (const auto& folder : iconFolders_)
            for (const char* ext : kExtensions)
                if (fs::path p = folder / theme / dir.path / (iconName + ext); isFile(p)) return p;
    }
    std::optional<fs::path> closest;
    int best = INT_MAX;
    for (const auto& dir : t.directories) {
        const int distance = dir.distance(size);
        if (distance >= best) continue;
        for (const auto& folder : iconFolders_)
            for (const char* ext : kExtensions)
                if (fs::path p = folder / theme / dir.path / (iconName + ext); isFile(p) && distance < best) {
                    closest = p;
                    best = distance;
                }
    }
    return closest;
}

std::optional<fs::path> IconThemeLookup::lookupInTheme(const std::string& theme, const std::string& iconName, int size,
                                                       std::vector<std::string>& visited) const {
    if (std::find(visited.begin(), visited.end(), theme) != visited.end()) return std::nullopt;
    visited.push_back(theme);
    const auto t = loadTheme(theme);
    if (!t) return std::nullopt;
    if (auto found = lookupIcon(theme, *t, iconName, size)) return found;
    for (const auto& parent : t->inherits)
        if (auto found = lookupInTheme(parent, iconName, size, visited)) return found;
    return std::nullopt;
}

std::optional<fs::path> IconThemeLookup::find(const std::string& iconName, int size) const {
    if (iconName.empty() || iconName.find('/') != std::string::npos) return std::nullopt;
    std::vector<std::string> visited;
    if (!themeName_.empty())
        if (auto found = lookupInTheme(themeName_, iconName, size, visited)) return found;
    if (auto found = lookupInTheme("hicolor", iconName, size, visited)) return found;
    for (const auto& folder : pixmapFolders_)
        for (const char* ext : kExtensions)
            if (fs::path p = folder / (iconName + ext); isFile(p)) return p;
    return std::nullopt;
}

}  // namespace tessane::linux_desktop
