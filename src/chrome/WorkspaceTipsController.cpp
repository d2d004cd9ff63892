#include "chrome/WorkspaceTipsController.h"

#include "chrome/CardPlacement.h"
#include "chrome/TipsCard.h"
#include "platform/Defaults.h"

namespace tessane {

WorkspaceTipsController::WorkspaceTipsController(Panels& panels, const Screens& screens, Defaults& defaults,
                                                 MainQueue& queue)
    : panels_(panels), screens_(screens), defaults_(defaults), queue_(queue) {}

WorkspaceTipsController::~WorkspaceTipsController() { view_.reset(); }

void WorkspaceTipsController::show(const Rect& container) {
    defaults_.set(kSeenKey, true);
    if (panel_) return;

    CardLayout layout = layoutTipsCard(panels_, lifetime_.guard([this] { close(); }));
    const Size size = layout.size;
    panel_ = CardView::makePanel(panels_, "tips");
    view_ = std::make_unique<CardView>(*panel_, std::move(layout));
    panel_->setFrame(CardView::panelFrame(cardFrameNear(container, size, screens_)));
    view_->display();
    panel_->orderFront();
}

void WorkspaceTipsController::close() { retired_.retire(std::move(view_), std::move(panel_)); }

}  // namespace tessane
