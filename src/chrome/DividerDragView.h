#pragma once

#include "chrome/ChromeView.h"

#include <functional>

namespace tessane {

// The handle over one draggable gutter.
class DividerDragView final : public ChromeView {
public:
    enum class Axis {
        vertical,    // between side-by-side panes, dragged left and right
        horizontal,  // between stacked panes, dragged up and down
    };

    explicit DividerDragView(Panel& panel);

    Axis axis = Axis::vertical;
    int ratioIndex = 0;
    bool hovering = false;  // set by the chrome's hover tracking
    bool dragging = false;
    std::function<void()> onDragStart;
    std::function<void(Point)> onDragMoved;  // screen point
    std::function<void()> onDragEnded;

    void setAxis(Axis axis);
    // Set the flag; redraw when it changed.
    void setHovering(bool hovering);

protected:
    PanelDrawing draw(Size bounds) const override;
    void handleInput(const PanelInput& input) override;

private:
    void setDragging(bool dragging);
    bool moved_ = false;  // since the press: a click that never moved moves nothing
};

}  // namespace tessane
