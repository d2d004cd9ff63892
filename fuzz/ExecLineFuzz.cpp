// Feeds arbitrary Exec lines (the first line of the input) and documents (the other lines) to
// the Exec-line expansion. What must hold for any input: a line is refused exactly when it has
// a reason; documents never choose or change the program; a line runs once, or once per
// document; and no document reaches an application looking like an option.
#include "platform/linux/desktop/ExecLine.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

using namespace tessane::linux_desktop;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::string exec, line;
    std::getline(in, exec);
    std::vector<std::string> documents;
    while (std::getline(in, line)) {
        const std::string handed = ExecLine::documentArgument(line, "/base");
        if (!handed.empty() && handed.front() == '-') std::abort();
        if (handed != line && handed != "/base/" + line) std::abort();
        documents.push_back(handed);
    }

    (void)ExecLine::split(exec);
    (void)ExecLine::takesDocuments(exec);
    const ExecLine::Context context{"-icon", "-name", "/e.desktop"};
    const auto bare = ExecLine::expand(exec, {}, context);
    if (bare.has_value() == ExecLine::refusal(exec).has_value()) std::abort();
    const auto commands = ExecLine::expand(exec, documents, context);
    if (commands.has_value() != bare.has_value()) std::abort();
    if (!commands) return 0;
    if (bare->size() != 1) std::abort();
    if (commands->size() != 1 && commands->size() != documents.size()) std::abort();
    const std::string& program = bare->front().front();
    if (program.empty()) std::abort();
    for (const auto& command : *commands)
        if (command.empty() || command.front() != program) std::abort();
    return 0;
}
