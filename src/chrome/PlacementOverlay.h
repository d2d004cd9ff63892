#pragma once

#include "chrome/ChromeView.h"
#include "model/LayoutType.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

class Panels;

// The card that stands for the container while it is dragged by its rail: the panes sketched
// (or guide lines) and the workspace's name. Its panel is the container outset by kMargin.
class PlacementOverlayView final : public ChromeView {
public:
    using ChromeView::ChromeView;

    struct PaneContainerPreview {
        std::vector<double> ratios;
        int appCount = 0;
        double headerHeight = 0;
        bool operator==(const PaneContainerPreview&) const = default;
    };

    LayoutType layoutType = LayoutType::leftRightSplit;
    std::string title;
    std::optional<PaneContainerPreview> paneContainer;  // nothing: guide lines instead of panes

    static constexpr double kMargin = 24;

protected:
    PanelDrawing draw(Size bounds) const override;
};

// The placement overlay's window: made once, on first use; level 3, click-through.
class PlacementOverlayWindowController {
public:
    std::unique_ptr<Panel> window;
    std::unique_ptr<PlacementOverlayView> overlayView;
    bool isVisible = false;

    void ensureWindow(Panels& panels);
    // The container outset by the margin; a pure move does not redraw.
    void setFrame(const Rect& container);
    // Views first: they draw into the window.
    ~PlacementOverlayWindowController();
};

}  // namespace tessane
