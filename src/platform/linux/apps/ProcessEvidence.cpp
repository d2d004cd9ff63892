#include "platform/linux/apps/ProcessEvidence.h"

#include "base/FileRead.h"
#include "platform/linux/processes/ProcessLauncher.h"

#include <algorithm>

namespace tessane::linux_backend {
namespace fs = std::filesystem;

namespace {

fs::path canonicalPath(const fs::path& p) {
    std::error_code ec;
    fs::path c = fs::weakly_canonical(p, ec);
    return ec ? p : c;
}

std::vector<std::string> splitNul(std::string_view text) {
    std::vector<std::string> out;
    while (!text.empty()) {
        const size_t end = text.find('\0');
        out.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return out;
}

std::string procText(int pid, const char* file) {
    // /proc files have no size: read as a stream, bounded.
    const FileRead read = readRegularFile("/proc/" + std::to_string(pid) + "/" + file, file_limits::kSmallText);
    return std::string(read.contents());
}

bool isUuid(std::string_view s) {
    if (s.size() != 36) return false;
    for (size_t i = 0; i < s.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash != (s[i] == '-') || (!dash && !std::isxdigit(static_cast<unsigned char>(s[i])))) return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> ProcessEvidence::sandboxAppIdFromCgroup(std::string_view cgroup) {
    while (!cgroup.empty()) {
        const size_t nl = cgroup.find('\n');
        std::string_view line = cgroup.substr(0, nl);
        cgroup.remove_prefix(nl == std::string_view::npos ? cgroup.size() : nl + 1);
        std::string_view unit = line.substr(line.rfind('/') == std::string_view::npos ? 0 : line.rfind('/') + 1);
        if (!unit.ends_with(".scope")) continue;
        unit.remove_suffix(6);
        if (unit.starts_with("app-flatpak-")) {
            unit.remove_prefix(12);
            const size_t dash = unit.rfind('-');
            if (dash != std::string_view::npos && dash > 0) return std::string(unit.substr(0, dash));
        } else if (unit.starts_with("snap.") && unit.size() > 42 && isUuid(unit.substr(unit.size() - 36)) &&
                   (unit[unit.size() - 37] == '-' || unit[unit.size() - 37] == '.')) {
            std::string_view name = unit.substr(5, unit.size() - 42);
            const size_t dot = name.find('.');
            if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) continue;
            if (name.substr(dot + 1).starts_with("hook.")) continue;
            return std::string(name.substr(0, dot)) + "_" + std::string(name.substr(dot + 1));
        }
    }
    return std::nullopt;
}

std::optional<std::string> ProcessEvidence::sandboxAppIdFromEnviron(std::string_view environ) {
    for (const auto& entry : splitNul(environ))
        if (entry.starts_with("FLATPAK_ID=") && entry.size() > 11) return entry.substr(11);
    return std::nullopt;
}

ProcessEvidence ProcessEvidence::fromCommandLine(const std::optional<fs::path>& executable,
                                                 std::string_view commandLine, const std::string& searchPath) {
    ProcessEvidence e;
    auto add = [&](const fs::path& p) {
        fs::path c = canonicalPath(p);
        if (std::find(e.programs.begin(), e.programs.end(), c) == e.programs.end()) e.programs.push_back(std::move(c));
    };
    if (executable) add(*executable);
    auto argv = splitNul(commandLine);
    if (argv.empty()) return e;
    if (auto first = ProcessLauncher::findProgram(argv[0], searchPath)) add(*first);
    e.arguments.assign(argv.begin() + 1, argv.end());
    // An interpreter's script, when it comes first: "python3 /usr/bin/tool".
    if (!e.arguments.empty() && !e.arguments[0].starts_with('-') && e.arguments[0].find('/') != std::string::npos)
        if (auto script = ProcessLauncher::findProgram(e.arguments[0], searchPath)) add(*script);
    return e;
}

ProcessEvidence ProcessEvidence::read(int pid, const std::string& searchPath) {
    if (pid <= 0) return {};
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
    ProcessEvidence e = fromCommandLine(ec || exe.empty() ? std::nullopt : std::optional(exe),
                                        procText(pid, "cmdline"), searchPath);
    e.sandboxAppId = sandboxAppIdFromCgroup(procText(pid, "cgroup"));
    // The environment is larger: read only for a program from another file system than ours,
    // as a sandboxed one is (Flatpak's /app).
    if (!e.sandboxAppId && !ec && (exe.string().starts_with("/app/") || !fs::exists(exe, ec)))
        e.sandboxAppId = sandboxAppIdFromEnviron(procText(pid, "environ"));
    return e;
}

}  // namespace tessane::linux_backend
