#pragma once

#include <cstdint>
#include <memory>

namespace tessane {

class Animator;
class Panel;

// The fades of one panel, so that a fade-out's completion knows whether it is still wanted: a
// panel shown again (or faded anew) while it fades out is not ordered out by the older fade's
// completion when that arrives.
class PanelFade {
public:
    // Animates the alpha to 1 over `duration`.
    void fadeIn(Animator& animator, Panel& panel, double duration);
    // Animates the alpha to 0 over `duration`, then orders the panel out and puts its alpha back
    // to 1, unless something newer happened to the panel meanwhile.
    void fadeOut(Animator& animator, Panel& panel, double duration);
    // Whatever fade is under way stops and no longer orders the panel out; the alpha is 1.
    void stop(Animator& animator, Panel& panel);
    bool isFadingOut() const { return state_->fadingOut; }

private:
    // Shared with the completions, which may outlive this object (or see it moved).
    struct State {
        uint64_t generation = 0;
        bool fadingOut = false;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace tessane
