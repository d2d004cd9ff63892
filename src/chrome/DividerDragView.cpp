#include "chrome/DividerDragView.h"

#include <algorithm>

namespace tessane {

DividerDragView::DividerDragView(Panel& panel) : ChromeView(panel) {
    panel.setCursor(PanelCursor::resizeLeftRight);
}

void DividerDragView::setAxis(Axis value) {
    if (axis == value) return;
    axis = value;
    panel().setCursor(value == Axis::vertical ? PanelCursor::resizeLeftRight : PanelCursor::resizeUpDown);
    display();
}

void DividerDragView::setHovering(bool value) {
    if (hovering == value) return;
    hovering = value;
    display();
}

void DividerDragView::setDragging(bool value) {
    if (dragging == value) return;
    dragging = value;
    display();
}

PanelDrawing DividerDragView::draw(Size b) const {
    const bool lit = hovering || dragging;
    const double t = lit ? 6 : 2;
    DrawOp bar;
    bar.kind = DrawOp::Kind::fillRoundedRect;
    bar.color = {ColorRole::separator, lit ? 0.9 : 0.5};
    bar.radius = t / 2;
    const bool vertical = axis == Axis::vertical;
    const double midX = b.width / 2, midY = b.height / 2;
    bar.rect = vertical ? Rect{midX - t / 2, 4, t, std::max(b.height - 8, 0.0)}
                        : Rect{4, midY - t / 2, std::max(b.width - 8, 0.0), t};
    PanelDrawing ops{bar};

    const double length = vertical ? b.height : b.width;
    if (length > 42) {
        DrawOp dot;
        dot.kind = DrawOp::Kind::fillEllipse;
        dot.color = dragging ? PaintColor{ColorRole::accent}
                             : PaintColor{ColorRole::secondaryLabel, hovering ? 1.0 : 0.9};
        for (double along : {-7.0, 0.0, 7.0}) {
            const double cx = vertical ? midX : midX + along;
            const double cy = vertical ? midY + along : midY;
            dot.rect = {cx - 2, cy - 2, 4, 4};
            ops.push_back(dot);
        }
    }
    return ops;
}

void DividerDragView::handleInput(const PanelInput& in) {
    switch (in.kind) {
    case PanelInput::Kind::leftDown:
        setDragging(true);
        moved_ = false;
        if (onDragStart) onDragStart();
        return;
    case PanelInput::Kind::leftDragged:
        moved_ = true;
        if (dragging && onDragMoved) onDragMoved(in.location);
        return;
    case PanelInput::Kind::leftUp:
        // The release is where the drag ends, even when the motion just before it was never seen.
        if (dragging && moved_ && onDragMoved) onDragMoved(in.location);
        [[fallthrough]];
    case PanelInput::Kind::trackingCancelled:
        // A drag whose release never arrives (the grab was lost: the handle ordered out, a
        // pop-up opened) ends as a release does, so the ratios are committed and the overlay
        // settles instead of staying up for good.
        if (!dragging) return;
        setDragging(false);
        if (onDragEnded) onDragEnded();
        return;
    default:
        return;
    }
}

}  // namespace tessane
