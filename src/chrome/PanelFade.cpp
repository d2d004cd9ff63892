#include "chrome/PanelFade.h"

#include "platform/Animator.h"
#include "platform/Panels.h"

namespace tessane {

void PanelFade::fadeIn(Animator& animator, Panel& panel, double duration) {
    ++state_->generation;
    state_->fadingOut = false;
    animator.animate(panel, {.duration = duration, .alpha = 1.0});
}

void PanelFade::fadeOut(Animator& animator, Panel& panel, double duration) {
    const uint64_t mine = ++state_->generation;
    state_->fadingOut = true;
    // The animator drops the completion with the panel; the fade state may go first.
    std::weak_ptr<State> weak = state_;
    animator.animate(panel, {.duration = duration, .alpha = 0.0}, [weak, mine, &panel] {
        auto state = weak.lock();
        if (!state || state->generation != mine) return;
        state->fadingOut = false;
        panel.orderOut();
        panel.setAlpha(1);
    });
}

void PanelFade::stop(Animator& animator, Panel& panel) {
    ++state_->generation;
    const bool wasFading = state_->fadingOut;
    state_->fadingOut = false;
    panel.setAlpha(1);
    // A newer animation ends the older one where it is; this one only holds the alpha at 1.
    if (wasFading) animator.animate(panel, {.duration = 0, .alpha = 1.0});
}

}  // namespace tessane
