#pragma once

#include "base/Geometry.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

struct ScreenInfo;

// Which set of displays is attached, and whether a frame still fits the ones that are. Both
// arguments of each test must be in the same coordinate space; the caller chooses which.
namespace DisplayTopology {

// One display's identity: its persistent UUID text when it has a display number and a UUID;
// otherwise "geom:<width>x<height>@<x>,<y>" from its frame in screen coordinates, each number
// truncated toward zero.
std::string displayIdentity(const ScreenInfo& screen);

// The identities of all given displays, sorted and joined with "+", so the order in which the
// system lists them does not matter; none without displays. Keys the per-display-set frames a
// workspace remembers.
std::optional<std::string> currentFingerprint(const std::vector<ScreenInfo>& screens);

// Each display's frame, keyed by its UUID (by its place in the list when it has none).
using DisplayFrames = std::map<std::string, Rect>;
DisplayFrames displayFrames(const std::vector<ScreenInfo>& screens);

// True when a display attached both before and after has another frame: a new resolution, a
// new arrangement, or a new scale, which changes a display's size in points while its pixels
// and its identity stay. A display that comes or goes alone reframes none of the others.
bool reframed(const DisplayFrames& before, const DisplayFrames& after);

// The screen frame sharing the largest positive area with `rect` (the earlier one on a tie);
// none when no frame overlaps it.
std::optional<Rect> bestScreen(const Rect& rect, const std::vector<Rect>& screenFrames);

// True when the screens together cover at least 99 % of the rectangle's area (overlapping
// screens count twice). A rectangle without area is never on screen.
bool isFullyOnScreens(const Rect& rect, const std::vector<Rect>& screenFrames);

// True when origin and size each differ by at most 2 points.
bool isAt(const Rect& a, const Rect& b);

// True when the rectangle's band along its minimum-y edge (its top in Accessibility
// coordinates), min(height, 56) high, lies on one screen over at least `minWidth` and over all
// but 1 point of the band's height.
bool isTopOnScreen(const Rect& rect, const std::vector<Rect>& screenFrames, double minWidth);

// True when one screen holds at least half the handle's width and half its height. A handle
// without area is trivially on screen.
bool isHandleOnScreen(const Rect& rect, const std::vector<Rect>& screenFrames);

}  // namespace DisplayTopology
}  // namespace tessane
