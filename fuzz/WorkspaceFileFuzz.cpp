// Feeds arbitrary bytes to the workspace-file decoder. Anything may fail, but only with a
// DecodeFailure; whatever decodes must, once cleaned of non-finite numbers as the manager does,
// encode and decode back to the same list.
#include "model/NonFiniteNumbers.h"
#include "model/WorkspaceCoding.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tessane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<Workspace> list;
    try {
        list = decodeWorkspaces(text);
    } catch (const DecodeFailure&) {
        return 0;
    }
    for (auto& ws : list) dropNonFiniteNumbers(ws);
    const std::string encoded = encodeWorkspaces(list);
    std::vector<Workspace> again;
    try {
        again = decodeWorkspaces(encoded);
    } catch (const DecodeFailure&) {
        std::abort();  // we wrote something we cannot read
    }
    if (again != list) std::abort();
    if (encodeWorkspaces(again) != encoded) std::abort();
    return 0;
}
