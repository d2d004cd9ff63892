#include "system/ShortcutHelp.h"

#include "system/ShortcutText.h"

namespace tessane {

const std::vector<ShortcutHelp>& ShortcutHelp::all() {
    static const std::vector<ShortcutHelp> rows = {
        {"switch", "Alt+Super+Tab", "Switch workspace — hold Alt+Super and press Tab to move on"},
        {"show", "Alt+Super+1–9", "Show a workspace by number"},
        {"hide", "Alt+Super+H", "Hide the current workspace"},
        {"bring", "Alt+Super+B", "Bring the active workspace to this display"},
        {"next", "Ctrl+Super+Right", "Focus the next app in the workspace"},
        {"prev", "Ctrl+Super+Left", "Focus the previous app in the workspace"},
        {"solo", "Ctrl+Super+Return", "Solo the focused app (press again to restore)"},
    };
    return rows;
}

std::vector<ShortcutHelp> ShortcutHelp::shown() {
    std::vector<ShortcutHelp> rows = all();
    for (auto& row : rows) {
        row.keys = shortcut_text::shown(row.keys);
        row.summary = shortcut_text::shown(row.summary);
    }
    return rows;
}

}  // namespace tessane
