#pragma once

#include "base/Geometry.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace tessane {

// Which display the user is on, and keeping a frame usable on one.
namespace DisplayResolver {

// The first screen holding the pointer; else, with a focused window frame, the screen sharing
// the largest positive area with it (the earlier one on a tie); else none.
std::optional<size_t> currentScreenIndex(std::optional<Point> mouseLocation,
                                         std::optional<Rect> focusedWindowFrame,
                                         const std::vector<Rect>& screenFrames);

// True when one screen shows a non-empty part of the rectangle at least `minVisible` in size.
bool isUsablyVisible(const Rect& rect, const std::vector<Rect>& screenFrames, Size minVisible);

// The rectangle grown to the minimum size, shrunk to the screen's size (the screen wins), then
// moved onto the screen.
Rect clamped(const Rect& rect, const Rect& screen, Size minSize);

}  // namespace DisplayResolver
}  // namespace tessane
