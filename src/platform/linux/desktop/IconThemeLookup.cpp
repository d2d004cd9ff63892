#include "platform/linux/desktop/IconThemeLookup.h"

#include "base/FileRead.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

namespace tessane::linux_desktop {
namespace fs = std::filesystem;

namespace {

constexpr const char* kExtensions[] = {".png", ".svg", ".xpm"};

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

}  // namespace

IconThemeLookup::IconThemeLookup(std::vector<fs::path> iconFolders, std::vector<fs::path> pixmapFolders,
                                 std::string themeName)
    : iconFolders_(std::move(iconFolders)), pixmapFolders_(std::move(pixmapFolders)), themeName_(std::move(themeName)) {}

std::optional<IconThemeLookup::Theme> IconThemeLookup::loadTheme(const std::string& name) const {
    for (const auto& folder : iconFolders_) {
        const fs::path index = folder / name / "index.theme";
        if (!isFile(index)) continue;
        // A theme's index is another program's file: read it without ever blocking on a FIFO or
        // taking more than a small text's worth of memory; one that can't be read is no theme.
        const FileRead read = readRegularFile(index, file_limits::kSmallText);
        if (!read) continue;
        std::istringstream in{std::string(read.contents())};
        return Theme::parse(in);
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
    int64_t best = INT64_MAX;
    for (const auto& dir : t.directories) {
        const int64_t distance = dir.distance(size);
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
    if (!Theme::isThemeName(theme) || std::find(visited.begin(), visited.end(), theme) != visited.end())
        return std::nullopt;
    visited.push_back(theme);
    const auto t = loadTheme(theme);
    if (!t) return std::nullopt;
    if (auto found = lookupIcon(theme, *t, iconName, size)) return found;
    for (const auto& parent : t->inherits)
        if (auto found = lookupInTheme(parent, iconName, size, visited)) return found;
    return std::nullopt;
}

std::optional<fs::path> IconThemeLookup::find(const std::string& iconName, int size) const {
    // A name is one file name: no folder of its own, nothing the system would cut short.
    if (iconName.empty() || iconName.find_first_of(std::string("/\0", 2)) != std::string::npos) return std::nullopt;
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
