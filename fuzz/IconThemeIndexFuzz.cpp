// Feeds arbitrary bytes to the icon-theme index reader and measures every folder it keeps
// against extreme sizes (UBSan stops at any overflow). What is kept must stay inside the theme:
// relative folders without "..", plain theme names, values within their bounds.
#include "platform/linux/desktop/IconThemeIndex.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

using namespace tessane::linux_desktop;

namespace {

bool inRange(int v, int least) { return v >= least && v <= IconThemeIndex::kLargestValue; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const auto index = IconThemeIndex::parse(in);
    for (const auto& name : index.inherits)
        if (!IconThemeIndex::isThemeName(name)) std::abort();
    for (const auto& d : index.directories) {
        if (d.path.empty() || d.path.front() == '/') std::abort();
        if (("/" + d.path + "/").find("/../") != std::string::npos) std::abort();
        if (!inRange(d.size, 1) || !inRange(d.scale, 1) || !inRange(d.minSize, 0) || !inRange(d.maxSize, 0) ||
            !inRange(d.threshold, 0))
            std::abort();
        for (int wanted : {INT_MIN, -1, 0, 1, 16, 48, 128, 65536, 65537, INT_MAX}) {
            const int64_t distance = d.distance(wanted);
            if (distance < 0) std::abort();
            if (d.matches(wanted) && distance != 0) std::abort();
        }
    }
    return 0;
}
