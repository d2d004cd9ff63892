#include "platform/linux/session/LinuxEnvironment.h"

#include "BuildStamp.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace tessane::linux_backend {

namespace fs = std::filesystem;

LinuxEnvironment::LinuxEnvironment(bool isApplication) : isApplication_(isApplication) {}

fs::path LinuxEnvironment::homeFolder() const {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

fs::path LinuxEnvironment::xdgFolder(const char* variable, const char* fallback) const {
    // The XDG rules ignore relative paths in these variables.
    if (const char* v = std::getenv(variable); v && *v == '/') return fs::path(v) / "Tessane";
    return homeFolder() / fallback / "Tessane";
}

fs::path LinuxEnvironment::dataFolder() const { return xdgFolder("XDG_DATA_HOME", ".local/share"); }
fs::path LinuxEnvironment::logsFolder() const { return xdgFolder("XDG_STATE_HOME", ".local/state"); }
fs::path LinuxEnvironment::configFolder() const { return xdgFolder("XDG_CONFIG_HOME", ".config"); }

fs::path LinuxEnvironment::tempFolder() const {
    std::error_code ec;
    fs::path t = fs::temp_directory_path(ec);
    return ec ? fs::path("/tmp") : t;
}

fs::path LinuxEnvironment::helpFolderFor(const fs::path& executable) {
    const fs::path folder = executable.parent_path();
    std::error_code ec;
    if (fs::is_directory(folder / "help", ec)) return folder / "help";
    return (folder / ".." / "share" / "tessane" / "help").lexically_normal();
}

fs::path LinuxEnvironment::helpFolder() const {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    // Without /proc (rare) there is no telling where we are; the current folder's "help" is
    // as good a guess as any and fails cleanly when the page is not there.
    if (ec) return fs::absolute("help", ec);
    return helpFolderFor(exe);
}

std::optional<std::string> LinuxEnvironment::shortVersion() const {
    const std::string v = TESSANE_VERSION;
    if (v.empty()) return std::nullopt;
    return v;
}

std::optional<std::string> LinuxEnvironment::buildVersion() const {
    const std::string v = TESSANE_BUILD;
    if (v.empty()) return std::nullopt;
    return v;
}

int32_t LinuxEnvironment::processIdentifier() const {
    return static_cast<int32_t>(::getpid());
}

bool LinuxEnvironment::runsAsInstalledApplication() const {
    return isApplication_ && !std::getenv("TESSANE_UNDER_TEST");
}

std::optional<std::string> LinuxEnvironment::variable(const std::string& name) const {
    if (const char* v = std::getenv(name.c_str())) return std::string(v);
    return std::nullopt;
}

}  // namespace tessane::linux_backend
