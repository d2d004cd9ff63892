#include "platform/linux/x11/ManagerSilence.h"

namespace tessane::linux_backend {

bool ManagerSilence::ranOut(uint64_t echoAtStart, uint64_t echoNow, const Facts& now) {
    if (silent_) return false;
    // The manager passed the echo on while the wait went on: it works, and left one request alone.
    if (now.redirected && now.echoesHeard >= echoAtStart) return false;
    silent_ = true;
    redirected_ = now.redirected;
    echo_ = echoNow;
    leavings_ = now.leavings;
    ++episodes_;
    return true;
}

bool ManagerSilence::stillSilent(const Facts& now) {
    if (!silent_) return false;
    const bool answered = redirected_ ? now.echoesHeard >= echo_ : now.redirected;
    if (answered || now.leavings != leavings_) silent_ = false;
    return silent_;
}

}  // namespace tessane::linux_backend
