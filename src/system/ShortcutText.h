#pragma once

#include "platform/HotKeys.h"

#include <functional>
#include <string>
#include <string_view>

namespace tessane::shortcut_text {

// `text` with every chord in it ("Alt+Super+H", "**Ctrl+Super+Left/Right**", "hold Alt+Super")
// written in `order`: with superFirst, Super comes before the chord's other modifiers
// ("Super+Alt+H"), which keep their own order; the rest of the text is left as it is.
std::string inOrder(std::string_view text, ChordOrder order);

// The same in the order the running window manager lets through, as the hot-key backend given
// to useOrderOf() answers it when asked (the manager can change while we run); as written
// while none is given.
std::string shown(std::string_view text);

// Where shown() asks; it must outlive the returned guard, which stops the asking.
[[nodiscard]] Subscription useOrderOf(const HotKeys& hotKeys);

}  // namespace tessane::shortcut_text
