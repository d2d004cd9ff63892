#include "platform/linux/session/LinuxMachineFacts.h"

#include "base/FileRead.h"

#include <sys/utsname.h>

namespace tessane::linux_backend::LinuxMachineFacts {

namespace fs = std::filesystem;

namespace {

std::string trimmedLine(std::string_view s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\0' || s.back() == ' ' || s.back() == '\r')) s.remove_suffix(1);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    // A device-tree string may hold several, NUL-separated: the first is the model.
    if (const auto nul = s.find('\0'); nul != std::string_view::npos) s = s.substr(0, nul);
    std::string out;
    for (unsigned char c : s) out += (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
    return out;
}

std::string small(const fs::path& path) {
    const auto file = readRegularFile(path, file_limits::kSmallText);
    return file ? trimmedLine(withoutByteOrderMark(file.contents())) : std::string();
}

std::string osName(const fs::path& root) {
    for (const char* place : {"etc/os-release", "usr/lib/os-release"}) {
        const auto file = readRegularFile(root / place, file_limits::kSmallText);
        if (!file) continue;
        for (const char* key : {"PRETTY_NAME", "NAME"})
            if (auto v = osReleaseValue(file.contents(), key); v && !v->empty()) return trimmedLine(*v);
    }
    return "Linux";
}

std::string hardwareModel(const fs::path& root) {
    const fs::path dmi = root / "sys/class/dmi/id";
    const std::string vendor = small(dmi / "sys_vendor"), product = small(dmi / "product_name");
    if (!product.empty()) {
        if (vendor.empty() || product.starts_with(vendor)) return product;
        return vendor + " " + product;
    }
    if (!vendor.empty()) return vendor;
    for (const char* place : {"proc/device-tree/model", "sys/firmware/devicetree/base/model"})
        if (auto model = small(root / place); !model.empty()) return model;
    return "unknown";
}

}  // namespace

std::optional<std::string> osReleaseValue(std::string_view text, std::string_view key) {
    std::optional<std::string> found;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.starts_with(key) || line.size() <= key.size() || line[key.size()] != '=') continue;
        std::string_view raw = line.substr(key.size() + 1);
        std::string value;
        char quote = 0;
        for (size_t i = 0; i < raw.size(); ++i) {
            const char c = raw[i];
            if (quote == '\'') {
                if (c == '\'') quote = 0;
                else value += c;
            } else if (c == '\\' && i + 1 < raw.size() &&
                       (quote != '"' || std::string_view("\"\\$`").find(raw[i + 1]) != std::string_view::npos)) {
                value += raw[++i];
            } else if (quote == '"') {
                if (c == '"') quote = 0;
                else value += c;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '#' && (i == 0 || raw[i - 1] == ' ')) {
                break;
            } else {
                value += c;
            }
        }
        while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
        found = std::move(value);  // the last assignment wins, as in a shell
    }
    return found;
}

MachineFacts read(const fs::path& root, const Kernel& kernel) {
    MachineFacts facts;
    facts.osVersion = osName(root);
    if (!kernel.release.empty()) facts.osVersion += ", Linux " + kernel.release;
    facts.hardwareModel = hardwareModel(root);
    facts.architecture = kernel.machine.empty() ? "unknown" : kernel.machine;
    return facts;
}

MachineFacts read() {
    Kernel kernel;
    if (utsname u{}; ::uname(&u) == 0) {
        kernel.release = u.release;
        kernel.machine = u.machine;
    }
    return read("/", kernel);
}

}  // namespace tessane::linux_backend::LinuxMachineFacts
