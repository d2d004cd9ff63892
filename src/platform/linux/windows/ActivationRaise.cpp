#include "platform/linux/windows/ActivationRaise.h"

#include <algorithm>

namespace tessane::linux_backend {

namespace {

// A shadow's or border's pixel of overlap is no cover.
constexpr double kSubstantialArea = 4;

}  // namespace

std::optional<std::vector<unsigned long>> framesOver(const std::vector<StackedFrame>& bottomToTop,
                                                     unsigned long frame) {
    const auto at = std::find_if(bottomToTop.begin(), bottomToTop.end(), [&](const StackedFrame& f) { return f.id == frame; });
    if (at == bottomToTop.end()) return std::nullopt;
    std::vector<unsigned long> over;
    for (auto above = std::next(at); above != bottomToTop.end(); ++above) {
        const Rect both = above->rect.intersection(at->rect);
        if (above->shownClient && !both.isNull() && both.width() * both.height() >= kSubstantialArea)
            over.push_back(above->id);
    }
    return over;
}

ActivationRaise raiseAfterActivation(std::optional<bool> managerRaises, bool inFrontBefore) {
    if (managerRaises) return {.raiseNow = !*managerRaises && !inFrontBefore, .lookLater = false};
    // Already in front, an activation teaches nothing of raising and needs no restack.
    return {.raiseNow = false, .lookLater = !inFrontBefore};
}

ActivationLook lookAfterActivation(bool activeNow, const std::vector<unsigned long>& overBefore,
                                   const std::vector<unsigned long>& overNow) {
    if (!activeNow) return {};  // the manager has not acted on it (yet)
    if (overNow.empty()) return {.managerRaises = true, .raise = false};
    const auto isOver = [](const std::vector<unsigned long>& frames, unsigned long f) {
        return std::find(frames.begin(), frames.end(), f) != frames.end();
    };
    const bool passedOne = std::any_of(overBefore.begin(), overBefore.end(), [&](auto f) { return !isOver(overNow, f); });
    if (passedOne) return {.managerRaises = true, .raise = false};
    const bool newcomer = std::any_of(overNow.begin(), overNow.end(), [&](auto f) { return !isOver(overBefore, f); });
    return {.managerRaises = false, .raise = !newcomer};
}

}  // namespace tessane::linux_backend
