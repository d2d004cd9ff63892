// Feeds arbitrary links to the link-command parser and the target matcher. What must hold for
// any input: only the tessane: scheme makes a command; show and toggle always carry a target;
// focus moves by one pane; and nothing a link carries can break a log line.
#include "model/Workspace.h"
#include "shell/TessaneURL.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tessane;
using TessaneURL::Command;

namespace {

bool hasControl(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

bool startsWithSchemeIgnoringCase(const std::string& s) {
    static const std::string scheme = "tessane:";
    if (s.size() < scheme.size()) return false;
    for (size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != scheme[i]) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    static const std::vector<Workspace> workspaces{Workspace{.name = "Writing"}, Workspace{.name = "Café"},
                                                   Workspace{.name = "2"}};

    if (hasControl(TessaneURL::logSafe(url))) std::abort();
    (void)TessaneURL::queryTarget(url);
    const auto command = TessaneURL::parse(url);
    if (!command) return 0;
    if (!startsWithSchemeIgnoringCase(url)) std::abort();
    if (hasControl(command->description())) std::abort();
    switch (command->kind) {
    case Command::Kind::show:
    case Command::Kind::toggle:
        if (!command->target || command->target->empty()) std::abort();
        break;
    case Command::Kind::focus:
        if (command->offset != 1 && command->offset != -1) std::abort();
        break;
    default:
        break;
    }
    if (command->target) {
        const auto id = TessaneURL::resolve(*command->target, workspaces);
        if (id && *id != workspaces[0].id && *id != workspaces[1].id && *id != workspaces[2].id) std::abort();
    }
    return 0;
}
