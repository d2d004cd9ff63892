// Feeds arbitrary bytes to the desktop-entry reader, then asks the entry what launching and
// listing ask of it. Anything may be refused; nothing may crash, and an Exec line is either
// refused with a reason or expands to commands with a program.
#include "platform/linux/desktop/DesktopEntry.h"
#include "platform/linux/desktop/ExecLine.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace tessane::linux_desktop;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto entry = DesktopEntry::parse(std::string(reinterpret_cast<const char*>(data), size));
    if (!entry) return 0;
    for (const char* locale : {"", "C", "de_DE.UTF-8@euro", "sr@latin", "_@", "@"}) {
        (void)entry->localized("Name", locale);
        (void)entry->localized("", locale);
    }
    (void)entry->isApplication();
    (void)entry->value("TryExec");
    const std::string exec = entry->value("Exec").value_or("");
    const ExecLine::Context context{entry->value("Icon").value_or(""), entry->value("Name").value_or(""), "/e.desktop"};
    const auto commands = ExecLine::expand(exec, {"/tmp/a", "/tmp/b"}, context);
    if (commands.has_value() == ExecLine::refusal(exec).has_value()) std::abort();
    if (commands)
        for (const auto& command : *commands)
            if (command.empty() || command.front().empty()) std::abort();
    return 0;
}
