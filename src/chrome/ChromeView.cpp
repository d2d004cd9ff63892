#include "chrome/ChromeView.h"

namespace tessane {

ChromeView::ChromeView(Panel& panel) : panel_(panel) {
    panel_.setInputHandler(lifetime_.guard([this](const PanelInput& input) { handleInput(input); }));
}

void ChromeView::display() { panel_.setDrawing(draw(panel_.frame().size)); }

void ChromeView::setPanelFrame(const Rect& frame) {
    const Rect old = panel_.frame();
    if (old == frame) return;
    panel_.setFrame(frame);
    if (old.width() != frame.width() || old.height() != frame.height()) display();
}

void addOutlinedRoundedRect(PanelDrawing& ops, const Rect& rect, double radius, PaintColor fill,
                            PaintColor stroke, double lineWidth) {
    DrawOp op;
    op.kind = DrawOp::Kind::fillRoundedRect;
    op.rect = rect;
    op.radius = radius;
    op.color = fill;
    ops.push_back(op);
    op.kind = DrawOp::Kind::strokeRoundedRect;
    op.color = stroke;
    op.lineWidth = lineWidth;
    ops.push_back(op);
}

}  // namespace tessane
