// AXWindowController::place: moving and sizing windows, and judging what each application did.

#include "system/AXWindowController.h"

#include <cmath>

namespace tessane {

AXWindowController::PlacementOutcome AXWindowController::place(const AXElement& window,
                                                               const Rect& target) const {
    const Accessibility::FrameRequest request{window, target};
    return place(std::span(&request, 1)).front();
}

std::vector<AXWindowController::PlacementOutcome> AXWindowController::place(
    std::span<const Accessibility::FrameRequest> requests) const {
    const double tol = kPlacementTolerance;
    for (const auto& request : requests) ax_.setAttribute(request.window, ax::kMinimized, AXValue::boolean(false));
    // Every window is written before any is read back: the backend waits once for all of them.
    const std::vector<Accessibility::FrameWrite> written = ax_.setFrames(requests);

    auto readBack = [&](const AXElement& window) -> std::optional<Rect> {
        auto p = point(window, ax::kPosition);
        auto s = sizeValue(window, ax::kSize);
        if (!p || !s) return std::nullopt;
        return Rect(*p, *s);
    };
    // Increments are read only for a window whose size is off: most windows never need them.
    auto sizeOK = [&](const AXElement& window, const Rect& actual, const Rect& target) {
        return sizeTaken(actual.size, target.size, std::nullopt, tol) ||
               sizeTaken(actual.size, target.size, sizeValue(window, ax::kResizeIncrements), tol);
    };
    auto landed = [&](const AXElement& window, const Rect& actual, const Rect& target) {
        return matches(Rect(actual.origin, target.size), target, tol) && sizeOK(window, actual, target);
    };

    std::vector<PlacementOutcome> outcomes(requests.size());
    for (size_t i = 0; i < requests.size(); ++i) {
        const auto& [window, target] = requests[i];
        if (!written[i].moved) {
            outcomes[i] = PlacementOutcome::failed();
            continue;
        }
        auto actual = written[i].frame ? written[i].frame : readBack(window);
        if (!actual || landed(window, *actual, target)) continue;  // placed
        if (!written[i].sized || !sizeOK(window, *actual, target)) {
            outcomes[i] = PlacementOutcome::refused(*actual);
            continue;
        }
        // The size was taken but the position was not: one more move.
        ax_.setAttribute(window, ax::kPosition, AXValue::point(target.origin));
        if (auto again = readBack(window)) actual = again;
        if (!landed(window, *actual, target)) outcomes[i] = PlacementOutcome::refused(*actual);
    }
    return outcomes;
}

}  // namespace tessane
