#pragma once

#include <cstdint>
#include <string>

namespace tessane {

// A workspace's own hot key: a macOS virtual key code and Carbon modifier mask (translated only
// by the X11 hot-key backend) and the text shown in menus and settings.
struct ShortcutConfig {
    uint32_t keyCode = 0;
    uint32_t carbonModifiers = 0;
    std::string displayString;

    bool operator==(const ShortcutConfig&) const = default;
};

}  // namespace tessane
