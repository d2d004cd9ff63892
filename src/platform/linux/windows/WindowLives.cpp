// The pending requests of each window, and the rules that decide on them.
#include "platform/linux/windows/WindowLives.h"

namespace tessane::linux_backend {

void WindowLives::end(XWindowId window) {
    lives_.erase(window);
    if (active_ == window) active_ = 0;
}

WindowLife* WindowLives::find(XWindowId window) {
    const auto it = lives_.find(window);
    return it == lives_.end() ? nullptr : &it->second;
}

const WindowLife* WindowLives::find(XWindowId window) const {
    const auto it = lives_.find(window);
    return it == lives_.end() ? nullptr : &it->second;
}

bool WindowLives::countsHidden(XWindowId window, bool minimized) const {
    if (minimized) return true;
    const WindowLife* life = find(window);
    return life && life->hideAsked &&
           (life->iconify == WindowLife::Iconify::waiting || life->iconify == WindowLife::Iconify::inFlight);
}

WindowLives::Verdict WindowLives::judge(const WindowLife& life, bool iconic, bool away, bool answered, double now) {
    using I = WindowLife::Iconify;
    if (life.iconify == I::none || life.iconify == I::waiting) return Verdict::pending;
    if (life.restoreOwedUntil) {
        if (now > *life.restoreOwedUntil) return Verdict::done;
        return iconic ? Verdict::restore : Verdict::pending;
    }
    // A manager that animates an iconify is done with it once the frame is away; one that keeps
    // minimized frames on the screen, once it minimized the window and answered after it.
    if (away || (iconic && (answered || life.iconify == I::late))) return Verdict::done;
    return now - life.iconifyAskedAt > kIgnoredSeconds ? Verdict::done : Verdict::pending;
}

void WindowLives::activationAsked(XWindowId window, double now) {
    active_ = window;
    if (WindowLife* life = find(window)) life->activationAskedAt = now;
}

void WindowLives::toldActive(XWindowId window, double now) {
    const WindowLife* own = find(active_);
    if (window != active_ && own && own->activationAskedAt && now - *own->activationAskedAt <= kOwnActivationSeconds)
        return;
    active_ = window;
}

bool WindowLives::mayFocusAgain(XWindowId window, bool minimized) const {
    if (window == 0 || minimized) return false;
    const WindowLife* life = find(window);
    return !life || !life->hideAsked;
}

}  // namespace tessane::linux_backend
