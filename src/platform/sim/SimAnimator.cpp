#include "platform/sim/SimAnimator.h"

#include "platform/sim/SimMainQueue.h"
#include "platform/sim/SimPanels.h"

namespace tessane::sim {

void SimAnimator::animate(Panel& panel, const PanelAnimation& animation,
                          std::function<void()> completion) {
    auto& sim = static_cast<SimPanel&>(panel);
    const int id = sim.id();
    started_.push_back({id, animation, queue_.now()});

    if (auto it = running_.find(id); it != running_.end()) {
        // The older animation stops where it is and is told so at once.
        auto older = std::move(it->second);
        running_.erase(it);
        older.item->cancel();
        if (older.completion) older.completion();
    }

    auto alive = sim.lifetime();
    auto item = queue_.postAfter(animation.duration, [this, id, alive, &sim, animation] {
        auto it = running_.find(id);
        if (it == running_.end()) return;
        auto completion = std::move(it->second.completion);
        running_.erase(it);
        auto lock = alive.lock();
        if (!lock || !*lock) return;
        if (animation.alpha) sim.setAlpha(*animation.alpha);
        if (animation.frame) sim.setFrame(*animation.frame);
        if (completion) completion();
    });
    running_[id] = Running{item, std::move(completion)};
}

}  // namespace tessane::sim
