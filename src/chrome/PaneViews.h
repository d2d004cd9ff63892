#pragma once

#include "chrome/ChromeView.h"

namespace tessane {

// The mat behind the panes: one rounded surface of the under-page colour, so the gaps between
// tiled windows read as one. A click on it is swallowed.
class PaneMatView final : public ChromeView {
public:
    using ChromeView::ChromeView;
    static constexpr double kCornerRadius = 12;

protected:
    PanelDrawing draw(Size bounds) const override;
};

// A strip over a gutter or margin, filled edge to edge with the under-page colour; it swallows
// the clicks that would otherwise reach a window below.
class PaneClickShieldView final : public ChromeView {
public:
    using ChromeView::ChromeView;

protected:
    PanelDrawing draw(Size bounds) const override;
};

// The card marking the pane a dragged window would drop into.
class PaneDropPreviewView final : public ChromeView {
public:
    using ChromeView::ChromeView;
    PanelImage icon;

protected:
    PanelDrawing draw(Size bounds) const override;
};

}  // namespace tessane
