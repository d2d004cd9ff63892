#include "platform/sim/SimScreens.h"

#include <utility>

namespace tessane::sim {

std::optional<ScreenInfo> SimScreens::mainScreen() const {
    if (!mainIndex_ || *mainIndex_ >= screens_.size()) return std::nullopt;
    return screens_[*mainIndex_];
}

void SimScreens::setScreens(std::vector<ScreenInfo> screens) {
    screens_ = std::move(screens);
    mainIndex_ = 0;
}

ScreenInfo SimScreens::screen(Rect frame, std::optional<uint32_t> displayNumber,
                              std::optional<std::string> displayUUID) {
    ScreenInfo s;
    s.frame = frame;
    s.visibleFrame = frame;
    s.displayNumber = displayNumber;
    s.displayUUID = std::move(displayUUID);
    return s;
}

Subscription SimScreens::observe(Notification notification, std::function<void()> handler) {
    return notifications_.at(static_cast<size_t>(notification)).subscribe(std::move(handler));
}

void SimScreens::notify(Notification notification) {
    notifications_.at(static_cast<size_t>(notification)).emit();
}

size_t SimScreens::observerCount(Notification notification) const {
    return notifications_.at(static_cast<size_t>(notification)).observerCount();
}

}  // namespace tessane::sim
