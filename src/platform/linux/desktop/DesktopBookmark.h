#pragma once

#include "base/Base64.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tessane::linux_desktop {

// What a bookmark of a desktop entry holds: a small JSON text with the entry's path, its
// desktop-file id, and the device and inode of the file when the bookmark was made. Bookmarks
// come back from the stored workspace file, which anybody may have edited, so decoding checks
// every value and refuses (with the reason) anything that is not exactly what encode() writes.
struct DesktopBookmark {
    std::filesystem::path path;  // absolute
    std::string id;
    unsigned long long device = 0;
    unsigned long long inode = 0;

    Bytes encode() const;
    // nullopt when the bytes are not a bookmark of ours; `why` then names the first fault.
    static std::optional<DesktopBookmark> decode(const Bytes& bytes, std::string* why = nullptr);

    bool operator==(const DesktopBookmark&) const = default;
};

}  // namespace tessane::linux_desktop
