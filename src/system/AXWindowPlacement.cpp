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

    auto actual = readBack();
    if (!actual) return PlacementOutcome::placed();
    if (matches(*actual, target, tol)) return PlacementOutcome::placed();
    if (!firstSize && !secondSize) return PlacementOutcome::refused(*actual);
    if (std::abs(actual->width() - target.width()) > tol ||
        std::abs(actual->height() - target.height()) > tol)
        return PlacementOutcome::refused(*actual);

    // The size was taken but the position was not: one more move.
    ax_.setAttribute(window, ax::kPosition, origin);
    if (auto again = readBack()) actual = again;
    return matches(*actual, target, tol) ? PlacementOutcome::placed()
                                         : PlacementOutcome::refused(*actual);
}

}  // namespace tessane
