#include "platform/linux/windows/WindowManagerWaits.h"

namespace tessane::linux_backend::waits {

bool onManager(X11Connection& x, const WaitBound& bound, const std::function<bool(double)>& wait, double limit) {
    const uint64_t leavings = x.windowManagerLeavings();
    return WaitBounds::wait(bound, wait, limit, [&] {
        return x.windowManagerLeavings() != leavings || !x.windowManagerRuns();
    });
}

bool until(X11Connection& x, const WaitBound& bound, const std::function<bool()>& condition, double limit) {
    return onManager(x, bound, [&](double seconds) { return x.waitForWindowManager(condition, seconds); }, limit);
}

bool answer(X11Connection& x, double timeout) { return answerWithin(x, boundFor(kAnswer, timeout)); }

bool answerWithin(X11Connection& x, double seconds) {
    return onManager(x, kAnswer, [&](double s) { return x.windowManagerRoundTrip(s); }, seconds);
}

bool echo(X11Connection& x, const WaitBound& bound, double limit) {
    return onManager(x, bound, [&](double seconds) { return x.windowManagerEcho(seconds); }, limit);
}

}  // namespace tessane::linux_backend::waits
