#pragma once

#include "platform/Animator.h"
#include "platform/MainQueue.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tessane::sim {

class SimMainQueue;
class SimPanel;

// Animations on the virtual clock: the panel keeps its values while the animation runs and takes
// the targets when the clock reaches its end, then the completion runs. Panels must be
// SimPanels.
class SimAnimator final : public Animator {
public:
    explicit SimAnimator(SimMainQueue& queue) : queue_(queue) {}

    void animate(Panel& panel, const PanelAnimation& animation,
                 std::function<void()> completion) override;

    struct Record {
        int panelId = 0;
        PanelAnimation animation;
        double startedAt = 0;
    };
    // Every animation started, in order.
    const std::vector<Record>& started() const { return started_; }
    // Animations not yet finished.
    size_t runningCount() const { return running_.size(); }

private:
    struct Running {
        std::shared_ptr<WorkItem> item;
        std::function<void()> completion;
    };
    SimMainQueue& queue_;
    std::vector<Record> started_;
    std::map<int, Running> running_;  // by panel id
};

}  // namespace tessane::sim
