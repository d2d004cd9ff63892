#include "chrome/PaneDragOverlayView.h"

#include "chrome/ChromeGeometry.h"

#include <algorithm>

namespace tessane {

void PaneDragOverlayView::configure(LayoutType type, std::vector<double> r, std::vector<PanelImage> i,
                                    int count, double header) {
    layoutType = type;
    ratios = std::move(r);
    icons = std::move(i);
    appCount = count;
    headerHeight = header;
    display();
}

PanelDrawing PaneDragOverlayView::draw(Size b) const {
    using ChromeGeometry::kContainerInset;
    const Rect inner{kContainerInset, kContainerInset, std::max(b.width - 2 * kContainerInset, 0.0),
                     std::max(b.height - headerHeight - 2 * kContainerInset, 0.0)};
    if (inner.width() <= 0 || inner.height() <= 0) return {};

    PanelDrawing ops;
    DrawOp backdrop;
    backdrop.kind = DrawOp::Kind::fillRect;
    backdrop.rect = inner;
    backdrop.color = {ColorRole::windowBackground, 0.96};
    ops.push_back(backdrop);

    const auto layout = ChromeGeometry::paneLayoutIn(layoutType, inner, appCount, ratios);
    const size_t cards = std::min(layout.appFrames.size(), static_cast<size_t>(std::max(appCount, 0)));
    for (size_t i = 0; i < cards; ++i) {
        const Rect card = layout.appFrames[i];
        addOutlinedRoundedRect(ops, card, 8, {ColorRole::grey, 0.12, 0.5}, {ColorRole::separator}, 1);
        if (i < icons.size() && icons[i]) {
            const double s = std::min(0.4 * std::min(card.width(), card.height()), 96.0);
            DrawOp icon;
            icon.kind = DrawOp::Kind::image;
            icon.rect = {card.minX() + (card.width() - s) / 2, card.minY() + (card.height() - s) / 2, s, s};
            icon.opacity = 0.9;
            icon.png = icons[i];
            ops.push_back(icon);
        }
    }
    return ops;
}

}  // namespace tessane
