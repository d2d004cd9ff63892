#include "chrome/PlacementOverlay.h"

#include "chrome/ChromeGeometry.h"

#include <algorithm>

namespace tessane {

namespace {

DrawOp guide(double x0, double y0, double x1, double y1) {
    DrawOp line;
    line.kind = DrawOp::Kind::line;
    line.rect = {x0, y0, x1 - x0, y1 - y0};
    line.color = {ColorRole::separator};
    line.lineWidth = 1;
    return line;
}

}  // namespace

PanelDrawing PlacementOverlayView::draw(Size b) const {
    const Rect card = ChromeGeometry::outset({0, 0, b.width, b.height}, -kMargin);
    if (card.width() <= 0 || card.height() <= 0) return {};

    PanelDrawing ops;
    addOutlinedRoundedRect(ops, card, 14, {ColorRole::grey, 0.22, 0.5}, {ColorRole::separator}, 1);

    if (paneContainer) {
        const Rect inner{card.minX() + 3, card.minY() + 3, std::max(card.width() - 6, 0.0),
                         std::max(card.height() - paneContainer->headerHeight - 6, 0.0)};
        const auto layout =
            ChromeGeometry::paneLayoutIn(layoutType, inner, paneContainer->appCount, paneContainer->ratios);
        for (const Rect& pane : layout.appFrames)
            addOutlinedRoundedRect(ops, pane, 6, {ColorRole::grey, 0.3, 0.85}, {ColorRole::separator}, 1);
    } else {
        const Rect g = ChromeGeometry::outset(card, -10);
        const auto vertical = [&](double x) { ops.push_back(guide(x, g.minY(), x, g.maxY())); };
        const auto horizontal = [&](double y) { ops.push_back(guide(g.minX(), y, g.maxX(), y)); };
        switch (layoutType) {
        case LayoutType::leftRightSplit: vertical(card.midX()); break;
        case LayoutType::topBottomSplit: horizontal(card.midY()); break;
        case LayoutType::mainSidebar: vertical(card.minX() + 0.6 * card.width()); break;
        default:
            vertical(card.midX());
            horizontal(card.midY());
            break;
        }
    }

    if (!title.empty()) {
        DrawOp text;
        text.kind = DrawOp::Kind::text;
        text.rect = {card.midX(), card.midY(), 0, 0};
        text.text = title;
        text.fontSize = 13;
        text.mediumWeight = true;
        text.color = {ColorRole::secondaryLabel};
        ops.push_back(text);
    }
    return ops;
}

void PlacementOverlayWindowController::ensureWindow(Panels& panels) {
    if (window) return;
    window = panels.makePanel({.level = PanelLevel::rail, .ignoresMouse = true, .name = "placement"});
    overlayView = std::make_unique<PlacementOverlayView>(*window);
}

void PlacementOverlayWindowController::setFrame(const Rect& container) {
    if (!overlayView) return;
    overlayView->setPanelFrame(ChromeGeometry::outset(container, PlacementOverlayView::kMargin));
}

PlacementOverlayWindowController::~PlacementOverlayWindowController() {
    overlayView.reset();
    window.reset();
}

}  // namespace tessane
