// Feeds arbitrary bytes to the reader of the preferences file. It may find no object, but must
// never throw; the values it keeps must be written and read back unchanged, with nothing left
// out the second time.
#include "platform/linux/session/PreferencesFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tessane::linux_backend;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto contents = preferences_file::parse(text);
    if (!contents) return 0;
    const std::string encoded = preferences_file::encode(contents->values);
    const auto again = preferences_file::parse(encoded);
    if (!again) std::abort();  // we wrote something we cannot read
    if (again->values != contents->values || !again->ignored.empty()) std::abort();
    if (preferences_file::encode(again->values) != encoded) std::abort();
    return 0;
}
