#pragma once

#include "base/Lifetime.h"
#include "chrome/CardView.h"
#include "controller/TipsChrome.h"

#include <memory>

namespace tessane {

class Defaults;
class MainQueue;
class Screens;

// The one-time quick-tips card. Every show records that the tips were seen, even when the card
// is already up; only the first shows a card, which stays until "Got it".
class WorkspaceTipsController final : public TipsChrome {
public:
    WorkspaceTipsController(Panels& panels, const Screens& screens, Defaults& defaults, MainQueue& queue);
    ~WorkspaceTipsController() override;

    void show(const Rect& nearContainerCocoaRect) override;
    bool hasPanel() const override { return panel_ != nullptr; }
    // "Got it", the activation handler, a teardown: the card goes at once, unanimated.
    void close() override;

    Panel* panel() const { return panel_.get(); }

    static constexpr const char* kSeenKey = "TessaneHasSeenWorkspaceTips.v1";

private:
    Panels& panels_;
    const Screens& screens_;
    Defaults& defaults_;
    MainQueue& queue_;
    CardRetirement retired_{queue_};
    std::unique_ptr<Panel> panel_;
    std::unique_ptr<CardView> view_;
    LifetimeToken lifetime_;
};

}  // namespace tessane
