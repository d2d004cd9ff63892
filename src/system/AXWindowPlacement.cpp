// AXWindowController::place: moving and sizing one window, and judging what the application did.

#include "system/AXWindowController.h"

#include <cmath>

namespace tessane {

AXWindowController::PlacementOutcome AXWindowController::place(const AXElement& window,
                                                               const Rect& target) const {
    const double tol = kPlacementTolerance;
    const AXValue origin = AXValue::point(target.origin);
    const AXValue size = AXValue::size(target.size);

    ax_.setAttribute(window, ax::kMinimized, AXValue::boolean(false));
    // Size, position, size again: an application that clamps a window against the screen edge
    // at its old size takes the position only once the size fits, and the other way round.
    const bool firstSize = ax_.setAttribute(window, ax::kSize, size) == AXError::success;
    const bool moved = ax_.setAttribute(window, ax::kPosition, origin) == AXError::success;
    const bool secondSize = ax_.setAttribute(window, ax::kSize, size) == AXError::success;
    if (!moved) return PlacementOutcome::failed();

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
    if (!firstSize && !secondSize) return PlacementOutcome::refused(*actual);
    if (!sizeOK(*actual)) return PlacementOutcome::refused(*actual);

    // The size was taken but the position was not: one more move.
    ax_.setAttribute(window, ax::kPosition, origin);
    if (auto again = readBack()) actual = again;
    return landed(*actual) ? PlacementOutcome::placed() : PlacementOutcome::refused(*actual);
}

}  // namespace tessane
