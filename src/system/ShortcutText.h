#pragma once

#include "platform/HotKeys.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessane::shortcut_text {

// The modifier combinations the shortcuts use, as Carbon masks.
inline constexpr uint32_t kOptionCommand = CarbonModifiers::option | CarbonModifiers::command;
inline constexpr uint32_t kShiftOptionCommand = kOptionCommand | CarbonModifiers::shift;
inline constexpr uint32_t kControlCommand = CarbonModifiers::control | CarbonModifiers::command;

// A chord as every label shows it: its modifiers (Command = Super, Control = Ctrl, Option = Alt,
// Shift), Super first, then `key` as users read it ("H", "Tab", "1–9", "Left/Right"); with no key,
// the modifiers alone ("hold Super+Alt"). Super comes first because that order reaches us under
// every window manager: IceWM takes a Super pressed while Alt or Ctrl is already down for its own
// menus, and the others take the modifiers in any order.
std::string chord(uint32_t carbonModifiers, std::string_view key = {});

}  // namespace tessane::shortcut_text
