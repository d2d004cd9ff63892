#pragma once

#include <string>
#include <vector>

namespace tessane {

// One row of the shortcut help that the welcome panel and the settings window list. The rows
// are text for people; they do not drive the registration. The keys are written as a Linux user
// presses them (shortcut_text::chord): Super first, Option is Alt, Control is Ctrl.
struct ShortcutHelp {
    std::string id;
    std::string keys;
    std::string summary;

    bool operator==(const ShortcutHelp&) const = default;

    static const std::vector<ShortcutHelp>& all();
};

}  // namespace tessane
