#pragma once

#include "chrome/CardLayout.h"

#include <functional>

namespace tessane {

namespace TipsCardMetrics {
inline constexpr double width = 380;
inline constexpr double minHeight = 120;
}  // namespace TipsCardMetrics

// One tip: a symbol and a text whose **spans** are bold.
struct TipRow {
    PanelSymbol icon;
    const char* text;
};

// The three tips, top to bottom. The keyboard row names the chords as the shortcut help does.
inline constexpr TipRow kWorkspaceTips[] = {
    {PanelSymbol::moveArrows,
     "Drag the **bar at the top edge** to move the whole workspace · **right-click** it for the menu."},
    {PanelSymbol::resizeArrows, "Drag the **divider** between apps — or an app's outer edge — to **resize**."},
    {PanelSymbol::keyboard, "**Ctrl+Super+Left/Right** switch focus · **Ctrl+Super+Return** solo · **Alt+Super+H** hide"},
};

// The quick-tips card at its width, at least the minimum height: the "Quick tips" header, the
// tips, and a footer with the pointer to the settings and "Got it" (the default button), which
// runs `onDismiss`.
CardLayout layoutTipsCard(const Panels& measurer, std::function<void()> onDismiss);

}  // namespace tessane
