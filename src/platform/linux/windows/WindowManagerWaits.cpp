#include "platform/linux/windows/WindowManagerWaits.h"

namespace tessane::linux_backend::waits {

bool until(X11Connection& x, const WaitBound& bound, const std::function<bool()>& condition, double limit) {
    return WaitBounds::wait(bound, [&](double seconds) { return x.waitFor(condition, seconds); }, limit);
}

bool answer(X11Connection& x, double timeout) { return answerWithin(x, boundFor(kAnswer, timeout)); }

bool answerWithin(X11Connection& x, double seconds) {
    return WaitBounds::wait(kAnswer, [&](double s) { return x.windowManagerRoundTrip(s); }, seconds);
}

bool echo(X11Connection& x, const WaitBound& bound, double limit) {
    return WaitBounds::wait(bound, [&](double seconds) { return x.windowManagerEcho(seconds); }, limit);
}

}  // namespace tessane::linux_backend::waits
