#include "system/ShortcutHelp.h"

#include "system/ShortcutText.h"

namespace tessane {

const std::vector<ShortcutHelp>& ShortcutHelp::all() {
    using shortcut_text::chord;
    using shortcut_text::kControlCommand;
    using shortcut_text::kOptionCommand;
    using shortcut_text::kShiftOptionCommand;
    static const std::vector<ShortcutHelp> rows = {
        {"switch", chord(kOptionCommand, "Tab") + ", " + chord(kShiftOptionCommand, "Tab"),
         "Step through the workspaces while Super and Alt are held"},
        {"show", chord(kOptionCommand, "1–9"), "Show a workspace by number"},
        {"hide", chord(kOptionCommand, "H"), "Hide the current workspace"},
        {"bring", chord(kOptionCommand, "B"), "Bring the active workspace to this display"},
        {"next", chord(kControlCommand, "Right"), "Focus the next app in the workspace"},
        {"prev", chord(kControlCommand, "Left"), "Focus the previous app in the workspace"},
        {"solo", chord(kControlCommand, "Return"), "Solo the focused app (press again to restore)"},
    };
    return rows;
}

}  // namespace tessane
