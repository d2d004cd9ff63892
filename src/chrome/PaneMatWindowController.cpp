#include "chrome/PaneMatWindowController.h"

namespace tessane {

PaneMatWindowController::PaneMatWindowController(Panels& panels) : panels_(panels) {}

PaneMatWindowController::~PaneMatWindowController() {
    orderOut();
    shieldViews_.clear();
    shieldPanels_.clear();
    matView_.reset();
    matPanel_.reset();
}

void PaneMatWindowController::update(const Rect& frame,
                                     const std::optional<std::vector<Rect>>& shieldStrips) {
    if (!matPanel_) {
        matPanel_ = panels_.makePanel(matPanelOptions());
        matView_ = std::make_unique<PaneMatView>(*matPanel_);
    }
    matView_->setPanelFrame(frame);
    layoutShieldStrips(shieldStrips ? *shieldStrips : std::vector<Rect>{});
}

void PaneMatWindowController::layoutShieldStrips(const std::vector<Rect>& rects) {
    activeShieldCount_ = static_cast<int>(rects.size());
    while (shieldPanels_.size() < rects.size()) {
        shieldPanels_.push_back(panels_.makePanel(shieldPanelOptions()));
        shieldViews_.push_back(std::make_unique<PaneClickShieldView>(*shieldPanels_.back()));
    }
    for (size_t i = 0; i < shieldPanels_.size(); ++i) {
        if (i < rects.size()) {
            shieldViews_[i]->setPanelFrame(rects[i]);
            if (isVisible_ && !shieldsHidden_) shieldPanels_[i]->orderFront();
        } else if (shieldPanels_[i]->isVisible()) {
            shieldPanels_[i]->orderOut();
        }
    }
}

void PaneMatWindowController::setShieldsHidden(bool hidden) {
    if (hidden == shieldsHidden_) return;
    shieldsHidden_ = hidden;
    if (hidden) {
        for (auto& p : shieldPanels_) p->orderOut();
    } else if (isVisible_) {
        frontActiveShields();
    }
}

void PaneMatWindowController::frontActiveShields() {
    for (int i = 0; i < activeShieldCount_ && i < static_cast<int>(shieldPanels_.size()); ++i)
        shieldPanels_[i]->orderFront();
}

void PaneMatWindowController::orderForWorkspaceVisible() {
    if (!matPanel_) return;
    matPanel_->orderFront();
    if (!shieldsHidden_) frontActiveShields();
    isVisible_ = true;
}

void PaneMatWindowController::orderOut() {
    if (matPanel_) matPanel_->orderOut();
    for (auto& p : shieldPanels_) p->orderOut();
    isVisible_ = false;
}

}  // namespace tessane
