#pragma once

#include "base/Lifetime.h"
#include "chrome/CardView.h"
#include "controller/NoticeChrome.h"
#include "platform/MainQueue.h"

#include <memory>

namespace tessane {

class Animator;
class Screens;

// The one notice card near a shown container. A request for the card already on screen (same
// title, message and action title) only moves it; any other replaces it. The card rises 10
// points while it fades in, and may close itself after a delay.
class WorkspaceNoticeController final : public NoticeChrome {
public:
    WorkspaceNoticeController(Panels& panels, Animator& animator, const Screens& screens, MainQueue& queue);
    ~WorkspaceNoticeController() override;

    void show(const std::optional<std::string>& title, const std::string& message,
              const std::optional<std::string>& actionTitle, const Rect& nearContainerCocoaRect,
              std::optional<double> dismissAfter, std::function<void()> action) override;
    void close() override;
    bool hasPanel() const override { return panel_ != nullptr; }
    std::optional<std::string> shownContent() const override { return shownContent_; }

    // Places the card of `size` near the container (see cardFrameNear); nothing without a card.
    void position(const Rect& container, Size size);

    Panel* panel() const { return panel_.get(); }
    const CardView* view() const { return view_.get(); }
    bool hasPendingDismissal() const { return dismissWorkItem_ != nullptr; }

    // Title, message and action title joined by U+001F, absent parts empty.
    static std::string key(const std::optional<std::string>& title, const std::string& message,
                           const std::optional<std::string>& actionTitle);

    static constexpr double kRise = 10;
    static constexpr double kFadeIn = 0.22;

private:
    Panels& panels_;
    Animator& animator_;
    const Screens& screens_;
    MainQueue& queue_;
    CardRetirement retired_{queue_};
    std::unique_ptr<Panel> panel_;
    std::unique_ptr<CardView> view_;
    std::shared_ptr<WorkItem> dismissWorkItem_;
    std::optional<std::string> shownContent_;
    TimeInterval riseEndsAt_ = 0;
    LifetimeToken lifetime_;
};

}  // namespace tessane
