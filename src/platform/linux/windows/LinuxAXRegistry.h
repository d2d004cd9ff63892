#pragma once

// The observers of one LinuxAccessibility and what they listen to (private to the backend).

#include "platform/linux/windows/LinuxAccessibility.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tessane::linux_backend {

struct LinuxAccessibility::ObserverState {
    Pid pid = 0;
    ObserverCallback callback;
    // (element handle, notification name)
    std::set<std::pair<uint64_t, std::string>> registrations;
    bool detached = false;
};

struct LinuxAccessibility::Registry {
    bool alive = true;
    std::vector<std::weak_ptr<ObserverState>> observers;
    // Watched windows and their frame when last told, to tell moves from resizes.
    std::map<XWindowId, Rect> lastFrames;
    // The interest in each watched window (its events, its kept frame): its end lets both go.
    std::map<XWindowId, Subscription> watches;
    XWindowId activeWindow = 0;
    // Windows reported gone on leaving the list whose destruction may still be heard: told once.
    std::set<XWindowId> goneReported;
    // Watched windows last seen in fullscreen.
    std::set<XWindowId> fullScreen;
};

}  // namespace tessane::linux_backend
