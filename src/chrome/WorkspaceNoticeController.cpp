#include "chrome/WorkspaceNoticeController.h"

#include "chrome/CardPlacement.h"
#include "chrome/NoticeCard.h"
#include "model/Log.h"
#include "platform/Animator.h"

namespace tessane {

WorkspaceNoticeController::WorkspaceNoticeController(Panels& panels, Animator& animator, const Screens& screens,
                                                     MainQueue& queue)
    : panels_(panels), animator_(animator), screens_(screens), queue_(queue) {}

WorkspaceNoticeController::~WorkspaceNoticeController() {
    if (dismissWorkItem_) dismissWorkItem_->cancel();
    view_.reset();
}

std::string WorkspaceNoticeController::key(const std::optional<std::string>& title, const std::string& message,
                                           const std::optional<std::string>& actionTitle) {
    return title.value_or("") + '\x1f' + message + '\x1f' + actionTitle.value_or("");
}

void WorkspaceNoticeController::show(const std::optional<std::string>& title, const std::string& message,
                                     const std::optional<std::string>& actionTitle, const Rect& container,
                                     std::optional<double> dismissAfter, std::function<void()> action) {
    const std::string cardKey = key(title, message, actionTitle);
    // The same card again: it follows the container and keeps its first deadline.
    if (panel_ && panel_->isVisible() && shownContent_ == cardKey) {
        const Size size = CardView::cardFrame(panel_->frame()).size;
        if (queue_.now() < riseEndsAt_) {
            // Still rising: the rise is turned towards the new place, or it would end at the old.
            PanelAnimation rise;
            rise.duration = riseEndsAt_ - queue_.now();
            rise.curve = PanelAnimation::Curve::easeOut;
            rise.alpha = 1;
            rise.frame = CardView::panelFrame(cardFrameNear(container, size, screens_));
            animator_.animate(*panel_, rise);
        } else {
            position(container, size);
        }
        return;
    }
    close();
    shownContent_ = cardKey;
    Log::line("[Tessane] Notice card: " + (title ? *title : message));

    WorkspaceNoticeCard card;
    card.title = title;
    card.message = message;
    card.actionTitle = actionTitle;
    // The card is gone before the action runs, so an action may put up the next card at once.
    card.onAction = lifetime_.guard([this, action = std::move(action)] {
        auto run = action;
        close();
        if (run) run();
    });
    card.onDismiss = lifetime_.guard([this] { close(); });
    CardLayout layout = layoutNoticeCard(panels_, card);
    const Size size = layout.size;

    panel_ = CardView::makePanel(panels_, "notice");
    view_ = std::make_unique<CardView>(*panel_, std::move(layout));
    position(container, size);
    const Rect target = panel_->frame();

    Rect start = target;
    start.origin.y -= kRise;
    panel_->setFrame(start);
    view_->display();
    panel_->setAlpha(0);
    panel_->orderFront();
    PanelAnimation rise;
    rise.duration = kFadeIn;
    rise.curve = PanelAnimation::Curve::easeOut;
    rise.alpha = 1;
    rise.frame = target;
    animator_.animate(*panel_, rise);
    riseEndsAt_ = queue_.now() + kFadeIn;

    if (dismissAfter) dismissWorkItem_ = queue_.postAfter(*dismissAfter, lifetime_.guard([this] { close(); }));
}

void WorkspaceNoticeController::position(const Rect& container, Size size) {
    if (!panel_) return;
    panel_->setFrame(CardView::panelFrame(cardFrameNear(container, size, screens_)));
}

void WorkspaceNoticeController::close() {
    shownContent_.reset();
    if (auto item = std::exchange(dismissWorkItem_, nullptr)) item->cancel();
    retired_.retire(std::move(view_), std::move(panel_));
}

}  // namespace tessane
