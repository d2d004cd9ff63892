#include "platform/linux/session/XdgAutostart.h"

#include "base/AtomicFile.h"
#include "platform/linux/desktop/DesktopEntry.h"
#include "platform/linux/desktop/DesktopEntryText.h"
#include "platform/linux/desktop/InstalledLayout.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace tessane::linux_backend {

namespace fs = std::filesystem;

XdgAutostart XdgAutostart::forThisProgram() {
    fs::path config;
    if (const char* v = std::getenv("XDG_CONFIG_HOME"); v && *v == '/') config = v;
    else if (const char* home = std::getenv("HOME"); home && *home) config = fs::path(home) / ".config";
    else config = "/nonexistent";
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return XdgAutostart({config / "autostart" / "tessane.desktop", program, !ec && isInstalledLayout(program)});
}

LoginItems::Status XdgAutostart::status() const {
    const auto entry = linux_desktop::DesktopEntry::read(setup_.entryFile);
    if (!entry) return Status::notRegistered;
    return entry->boolean("Hidden") ? Status::notRegistered : Status::enabled;
}

std::optional<std::string> XdgAutostart::registerItem() {
    const auto text = linux_desktop::DesktopEntryText::autostartEntry(setup_.program);
    if (!text) return "the program's path cannot be written in an autostart entry";
    std::error_code ec;
    fs::create_directories(setup_.entryFile.parent_path(), ec);
    if (ec) return ec.message();
    std::string error;
    if (!writeFileAtomically(setup_.entryFile, *text, &error)) return error;
    return std::nullopt;
}

std::optional<std::string> XdgAutostart::unregisterItem() {
    if (::unlink(setup_.entryFile.c_str()) != 0) return std::string(std::strerror(errno));
    return std::nullopt;
}

}  // namespace tessane::linux_backend
