#pragma once

#include "chrome/ChromeView.h"

#include <functional>
#include <optional>

namespace tessane {

// The pill on the container's top edge: the handle by which the whole group is moved,
// maximized and given its menu.
class MoveRailView final : public ChromeView {
public:
    explicit MoveRailView(Panel& panel);

    std::function<void()> onDoubleClick;
    std::function<void()> onDragStart;                  // the pointer moved 3 points from the press
    std::function<void(double, double)> onDragMoved;    // offset from the press point
    std::function<void()> onDragEnded;                  // release after a drag
    std::function<void(Point)> onMenu;                  // screen point of the pointer
    // The pill may grow into the pane below while hovered or dragged (false for layouts
    // without panes to divide).
    bool mayBorrowAppPixels = true;
    std::function<void(bool)> onHoverChanged;
    bool hovering = false;
    bool dragging = false;

    // Sets `hovering`; when it changed, redraws and tells onHoverChanged.
    void setHovering(bool hovering);

    static constexpr double kDragThreshold = 3;

protected:
    PanelDrawing draw(Size bounds) const override;
    void handleInput(const PanelInput& input) override;

private:
    void setDragging(bool dragging);

    std::optional<Point> pressPoint_;  // a press is being tracked
    bool started_ = false;             // ... and has passed the threshold
};

}  // namespace tessane
