#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace tessane::linux_desktop {

// The index.theme file of an icon theme (the XDG icon theme standard): the folders of the theme
// that hold icons, each with the sizes it is made for, and the themes it inherits.
//
// An index comes from whoever made the theme, so it is read with suspicion:
// - Size, Scale, MinSize, MaxSize and Threshold are whole numbers from 0 (Size and Scale from 1)
//   to kLargestValue; a value that does not read as one counts as absent, and a folder without
//   a usable Size is left out. Distances are computed in 64 bits, so no value overflows them.
// - A folder (Directories, ScaledDirectories) that is absolute or goes through ".." is left
//   out, and so is an inherited theme that is not a plain folder name: lookups stay inside the
//   theme's folder and the icon folders. Symbolic links are followed, as themes and
//   distributions use them to share icons.
struct IconThemeIndex {
    static constexpr int kLargestValue = 65536;

    struct Directory {
        std::string path;  // below the theme's folder
        int size = 0;
        int scale = 1;
        int minSize = 0;
        int maxSize = 0;
        int threshold = 2;
        enum class Type { fixed, scalable, threshold } type = Type::threshold;

        // Whether the folder is made for icons of `wanted` pixels at scale 1.
        bool matches(int wanted) const;
        // How far its icons are from `wanted` pixels; 0 when it is made for them.
        int64_t distance(int wanted) const;
    };

    std::vector<Directory> directories;
    std::vector<std::string> inherits;

    static IconThemeIndex parse(std::istream& in);
    // A theme's name is the name of its folder: not empty, no '/', not "." or "..".
    static bool isThemeName(const std::string& name);
};

}  // namespace tessane::linux_desktop
