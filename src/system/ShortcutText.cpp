#include "system/ShortcutText.h"

#include <array>
#include <utility>

namespace tessane::shortcut_text {

std::string chord(uint32_t carbonModifiers, std::string_view key) {
    static constexpr std::array<std::pair<uint32_t, std::string_view>, 4> kInOrder = {{
        {CarbonModifiers::command, "Super"},
        {CarbonModifiers::control, "Ctrl"},
        {CarbonModifiers::option, "Alt"},
        {CarbonModifiers::shift, "Shift"},
    }};
    std::string text;
    for (const auto& [mask, name] : kInOrder) {
        if (!(carbonModifiers & mask)) continue;
        if (!text.empty()) text += '+';
        text += name;
    }
    if (!key.empty()) {
        if (!text.empty()) text += '+';
        text += key;
    }
    return text;
}

}  // namespace tessane::shortcut_text
