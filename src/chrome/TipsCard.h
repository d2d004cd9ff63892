#pragma once

#include "chrome/CardLayout.h"

#include <functional>
#include <string>
#include <vector>

namespace tessane {

namespace TipsCardMetrics {
inline constexpr double width = 380;
inline constexpr double minHeight = 120;
}  // namespace TipsCardMetrics

// One tip: a symbol and a text whose **spans** are bold.
struct TipRow {
    PanelSymbol icon;
    std::string text;
};

// The three tips, top to bottom. The keyboard row names the chords as the shortcut help does.
const std::vector<TipRow>& workspaceTips();

// The quick-tips card at its width, at least the minimum height: the "Quick tips" header, the
// tips, and a footer with the pointer to the settings and "Got it" (the default button), which
// runs `onDismiss`.
CardLayout layoutTipsCard(const Panels& measurer, std::function<void()> onDismiss);

}  // namespace tessane
