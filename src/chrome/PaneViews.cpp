#include "chrome/PaneViews.h"

#include <algorithm>

namespace tessane {

PanelDrawing PaneMatView::draw(Size b) const {
    DrawOp op;
    op.kind = DrawOp::Kind::fillRoundedRect;
    op.rect = {0, 0, b.width, b.height};
    op.radius = kCornerRadius;
    op.color = {ColorRole::underPageBackground};
    return {op};
}

PanelDrawing PaneClickShieldView::draw(Size b) const {
    DrawOp op;
    op.kind = DrawOp::Kind::fillRect;
    op.rect = {0, 0, b.width, b.height};
    op.color = {ColorRole::underPageBackground};
    return {op};
}

PanelDrawing PaneDropPreviewView::draw(Size b) const {
    const Rect r{2, 2, b.width - 4, b.height - 4};
    if (r.size.width <= 0 || r.size.height <= 0) return {};
    PanelDrawing ops;
    addOutlinedRoundedRect(ops, r, 8, {ColorRole::grey, 0.18, 0.5}, {ColorRole::separator}, 3);
    if (icon) {
        const double side = std::min(std::min(r.size.width, r.size.height) * 0.3, 72.0);
        if (side > 8) {
            DrawOp image;
            image.kind = DrawOp::Kind::image;
            image.rect = {r.midX() - side / 2, r.midY() - side / 2, side, side};
            image.opacity = 0.95;
            image.png = icon;
            ops.push_back(image);
        }
    }
    return ops;
}

}  // namespace tessane
