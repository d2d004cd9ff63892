#pragma once

#include "platform/Animator.h"

namespace tessane::qt_backend {

class QtPanels;

// Panel animations driven by Qt's animation clock. Without a compositing manager an alpha-only
// animation lands at once (nothing would blend it); its completion still comes from the loop.
class QtAnimator final : public Animator {
public:
    explicit QtAnimator(const QtPanels& panels) : panels_(panels) {}
    void animate(Panel& panel, const PanelAnimation& animation, std::function<void()> completion) override;

private:
    const QtPanels& panels_;
};

}  // namespace tessane::qt_backend
