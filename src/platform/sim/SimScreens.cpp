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

}  // namespace tessane::sim
