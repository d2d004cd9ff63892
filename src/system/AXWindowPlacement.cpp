// AXWindowController::place: moving and sizing one window, and judging what the application did.

#include "system/AXWindowController.h"

#include <cmath>

namespace tessane {

AXWindowController::PlacementOutcome AXWindowController::place(const AXElement& window,
                                                               const Rect& target) const {
    const double tol = kPlacementTolerance;
    const AXValue origin = AXValue::point(target.origin);

    ax_.setAttribute(window, ax::kMinimized, AXValue::boolean(false));
    const Accessibility::FrameWrite written = ax_.setFrame(window, target);
    if (!written.moved) return PlacementOutcome::failed();

    auto readBack = [&]() -> std::optional<Rect> {
        auto p = point(window, ax::kPosition);
        auto s = sizeValue(window, ax::kSize);
        if (!p || !s) return std::nullopt;
        return Rect(*p, *s);
    };

    // Increments are read only for a window whose size is off: most windows never need them.
    std::optional<std::optional<Size>> increments;
    auto sizeOK = [&](const Rect& actual) {
        if (sizeTaken(actual.size, target.size, std::nullopt, tol)) return true;
        if (!increments) increments = sizeValue(window, ax::kResizeIncrements);
        return sizeTaken(actual.size, target.size, *increments, tol);
    };
    auto landed = [&](const Rect& actual) {
        return matches(Rect(actual.origin, target.size), target, tol) && sizeOK(actual);
    };

    auto actual = readBack();
    if (!actual) return PlacementOutcome::placed();
    if (landed(*actual)) return PlacementOutcome::placed();
    if (!written.sized) return PlacementOutcome::refused(*actual);
    if (!sizeOK(*actual)) return PlacementOutcome::refused(*actual);

    // The size was taken but the position was not: one more move.
    ax_.setAttribute(window, ax::kPosition, origin);
    if (auto again = readBack()) actual = again;
    return landed(*actual) ? PlacementOutcome::placed() : PlacementOutcome::refused(*actual);
}

}  // namespace tessane
