#include "platform/linux/desktop/DesktopEntryText.h"

namespace tessane::linux_desktop::DesktopEntryText {

namespace {

// A desktop-entry string value reads "\\" as one backslash.
std::string entryValue(const std::string& text) {
    std::string value;
    for (char c : text) {
        if (c == '\\') value += '\\';
        value += c;
    }
    return value;
}

}  // namespace

std::optional<std::string> execProgram(const std::filesystem::path& program) {
    const std::string path = program.string();
    if (path.empty()) return std::nullopt;
    bool needsQuotes = false;
    std::string inner;
    for (unsigned char c : path) {
        if (c < 0x20 || c == 0x7F) return std::nullopt;
        switch (c) {
        case '"': case '`': case '$': case '\\':
            needsQuotes = true;
            inner += '\\';
            inner += static_cast<char>(c);
            break;
        case '%':
            inner += "%%";
            break;
        case ' ': case '\'': case '>': case '<': case '~': case '|': case '&': case ';':
        case '*': case '?': case '#': case '(': case ')':
            needsQuotes = true;
            inner += static_cast<char>(c);
            break;
        default:
            inner += static_cast<char>(c);
        }
    }
    return entryValue(needsQuotes ? "\"" + inner + "\"" : inner);
}

std::string applicationEntry(const std::string& execProgram, const std::string& tryExec) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tessane\n"
           "Comment=Named workspaces of tiled windows\n"
           "Keywords=workspace;tiling;tile;window;layout;panes;\n"
           "TryExec=" + tryExec + "\n"
           "Exec=" + execProgram + " %U\n"
           "Icon=tessane\n"
           "Terminal=false\n"
           "Categories=Utility;\n"
           "MimeType=x-scheme-handler/tessane;\n";
}

std::optional<std::string> applicationEntry(const std::filesystem::path& program) {
    const auto exec = execProgram(program);
    if (!exec) return std::nullopt;
    return applicationEntry(*exec, entryValue(program.string()));
}

std::optional<std::string> autostartEntry(const std::filesystem::path& program) {
    const auto exec = execProgram(program);
    if (!exec) return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tessane\n"
           "TryExec=" + entryValue(program.string()) + "\n"
           "Exec=" + *exec + "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

}  // namespace tessane::linux_desktop::DesktopEntryText
