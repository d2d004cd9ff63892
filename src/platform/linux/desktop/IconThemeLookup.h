#pragma once

#include "platform/linux/desktop/IconThemeIndex.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessane::linux_desktop {

// Finds the file of a named icon the way the XDG icon theme standard says: in the theme,
// then the themes it inherits, then "hicolor", preferring a directory made for the size asked
// and otherwise the nearest size; finally the pixmaps folders. What a theme's index may name is
// bounded as IconThemeIndex says; a theme name that is not a plain folder name finds nothing.
class IconThemeLookup {
public:
    // `iconFolders`: where themes live, in order ($HOME/.icons, $XDG_DATA_HOME/icons, each
    // $XDG_DATA_DIRS/icons). `pixmapFolders`: the unthemed fallbacks (/usr/share/pixmaps).
    IconThemeLookup(std::vector<std::filesystem::path> iconFolders, std::vector<std::filesystem::path> pixmapFolders,
                    std::string themeName);

    std::optional<std::filesystem::path> find(const std::string& iconName, int size) const;

private:
    using Theme = IconThemeIndex;

    std::optional<Theme> loadTheme(const std::string& name) const;
    std::optional<std::filesystem::path> lookupInTheme(const std::string& theme, const std::string& iconName, int size,
                                                       std::vector<std::string>& visited) const;
    std::optional<std::filesystem::path> lookupIcon(const std::string& theme, const Theme& t,
                                                    const std::string& iconName, int size) const;

    std::vector<std::filesystem::path> iconFolders_;
    std::vector<std::filesystem::path> pixmapFolders_;
    std::string themeName_;
};

}  // namespace tessane::linux_desktop
