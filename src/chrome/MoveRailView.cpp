#include "chrome/MoveRailView.h"

#include <cmath>

namespace tessane {

MoveRailView::MoveRailView(Panel& panel) : ChromeView(panel) {
    panel.setCursor(PanelCursor::openHand);
}

void MoveRailView::setHovering(bool value) {
    if (hovering == value) return;
    hovering = value;
    display();
    if (onHoverChanged) onHoverChanged(value);
}

void MoveRailView::setDragging(bool value) {
    if (dragging == value) return;
    dragging = value;
    display();
}

PanelDrawing MoveRailView::draw(Size b) const {
    const double t = mayBorrowAppPixels && (hovering || dragging) ? 8 : 3;
    DrawOp pill;
    pill.kind = DrawOp::Kind::fillRoundedRect;
    pill.rect = {b.width / 2 - 20, b.height - t, 40, t};
    pill.radius = t / 2;
    pill.color = {dragging ? ColorRole::accent : hovering ? ColorRole::label : ColorRole::secondaryLabel};
    return {pill};
}

void MoveRailView::handleInput(const PanelInput& in) {
    using Kind = PanelInput::Kind;
    switch (in.kind) {
    case Kind::entered:
        setHovering(true);
        return;
    case Kind::exited:
        setHovering(false);
        return;
    case Kind::rightDown:
        if (onMenu) onMenu(in.location);
        return;
    case Kind::leftDown:
        if (in.control) {
            if (onMenu) onMenu(in.location);
        } else if (in.clickCount == 2) {
            if (onDoubleClick) onDoubleClick();
        } else {
            pressPoint_ = in.location;
            started_ = false;
        }
        return;
    case Kind::leftDragged: {
        if (!pressPoint_) return;
        const double dx = in.location.x - pressPoint_->x;
        const double dy = in.location.y - pressPoint_->y;
        if (!started_ && std::abs(dx) < kDragThreshold && std::abs(dy) < kDragThreshold) return;
        if (!started_) {
            started_ = true;
            setDragging(true);
            if (onDragStart) onDragStart();
        }
        if (onDragMoved) onDragMoved(dx, dy);
        return;
    }
    case Kind::leftUp:
        // The release is where the drag ends, even when the motion just before it was never seen.
        if (started_ && pressPoint_ && onDragMoved)
            onDragMoved(in.location.x - pressPoint_->x, in.location.y - pressPoint_->y);
        [[fallthrough]];
    case Kind::trackingCancelled:
        if (!pressPoint_) return;
        pressPoint_.reset();
        if (started_) {
            started_ = false;
            setDragging(false);
            if (onDragEnded) onDragEnded();
        }
        return;
    }
}

}  // namespace tessane
