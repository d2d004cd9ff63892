// Feeds arbitrary bytes to the decoder of desktop-entry bookmarks, which come back from the
// stored workspace file. Decoding may refuse anything, but must never throw; whatever decodes
// must encode and decode back to the same bookmark.
#include "platform/linux/desktop/DesktopBookmark.h"

#include <cstdint>
#include <cstdlib>

using tessane::Bytes;
using tessane::linux_desktop::DesktopBookmark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string why;
    const auto bookmark = DesktopBookmark::decode(Bytes(data, data + size), &why);
    if (!bookmark) {
        if (why.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    const Bytes encoded = bookmark->encode();
    const auto again = DesktopBookmark::decode(encoded);
    if (!again || *again != *bookmark) std::abort();
    if (again->encode() != encoded) std::abort();
    return 0;
}
