#pragma once

#include "shell/TessaneURL.h"

#include <string>
#include <vector>

namespace tessane {

// The Advanced tab: read-only help on driving Tessane from outside with its links. It lists the
// ready-made commands and the verb table as they stand, whatever workspaces exist.
namespace advanced_tab {

inline constexpr const char* kShortcutsTitle = "Your Own Keyboard Shortcuts";
inline constexpr const char* kShortcutsIntro =
    "Tessane's built-in keys are fixed, but you can add your own: in your desktop's keyboard settings, bind any "
    "shortcut to a command that opens one of these links.";
inline constexpr const char* kShortcutsFooter = "Use a workspace's name \u2014 or its number in the Workspaces list.";
inline constexpr const char* kAutomationTitle = "Automation";
inline constexpr const char* kAutomationIntro =
    "The same links work anywhere a URL can be opened \u2014 a shell script, a launcher, an xdotool or "
    "keyboard-daemon binding, a hardware button \u2014 so showing a workspace can be one step of a bigger routine.";
inline constexpr const char* kAutomationFooter =
    "Tessane answers workspace-level links only \u2014 nothing that moves an individual window, and nothing "
    "destructive.";

// The command lines the user can copy, in order.
inline std::vector<std::string> exampleLines() { return TessaneURL::advertisedExamples(); }
// The verbs: what each does and its link.
inline const std::vector<TessaneURL::Verb>& verbRows() { return TessaneURL::verbReference(); }

}  // namespace advanced_tab
}  // namespace tessane
