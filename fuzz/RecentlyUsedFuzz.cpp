// Feeds arbitrary bytes to the reader of the desktop's recent-files list (recently-used.xbel),
// which any program of the user may write. What must hold for any input: it never crashes, it
// keeps only local files that some application used, and a list cut anywhere keeps no file that
// the whole list does not have (a cut ends the reading; it never makes up a file).
#include "platform/linux/desktop/RecentDocuments.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tessane::linux_desktop;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto list = parseRecentlyUsed(text);
    for (const auto& file : list.files)
        if (file.path.empty() || file.path.front() != '/' || file.uses.empty()) std::abort();
    if (list.error && list.error->empty()) std::abort();

    const auto cut = parseRecentlyUsed(text.substr(0, size / 2));
    if (cut.files.size() > list.files.size()) std::abort();
    for (size_t i = 0; i < cut.files.size(); ++i)
        if (cut.files[i].path != list.files[i].path) std::abort();
    return 0;
}
