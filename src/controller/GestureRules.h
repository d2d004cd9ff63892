#pragma once

#include "base/Geometry.h"
#include "base/Uuid.h"
#include "model/LayoutType.h"

#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace tessane::GestureRules {

// The pure arithmetic behind the user's gestures on a shown workspace: where a dragged window
// counts as dropped, what a resize means for the split or the container, where dividers must go
// so that windows that refuse their panes stop overlapping, which window sizes are minimums and
// how a two-application split grows to fit them. Accessibility coordinates (y down) throughout.

// How many split ratios a layout of this type keeps.
inline int splitRatioCount(LayoutType type) { return layout_types::ratioCount(type); }

// The container inset by 3 pt on every side (never below zero): the room the panes share.
Rect innerRect(const Rect& container);

// The part of a pane that counts as "inside" for a pointer: the pane inset on every side by a
// quarter of its shorter side, at most 32 pt, so a pointer near an edge or a gutter picks nothing.
Rect pointerHitArea(const Rect& pane);

// ---------------------------------------------------------------------- reflow from a resize

struct ResizeReflow {
    enum class Kind {
        notResized,  // no window was resized (windowResized, 6 pt): the caller snaps back
        unchanged,   // a resize, but no edge that moves a divider or the container
        container,   // the container becomes `container`
        ratios,      // the split ratios become `ratios`
    };
    Kind kind = Kind::notResized;
    Rect container;
    std::vector<double> ratios;
    bool operator==(const ResizeReflow&) const = default;
};

// What is known of a pane's window besides its frame.
struct WindowSizing {
    std::optional<Size> lastSeen;    // its size when it was last looked at; none when never seen
    std::optional<Size> increments;  // the steps its size changes in; none for a window of any size
};

// Whether a window was resized: its size is off its tile by more than `tolerance`, further than its
// size steps let it come (a terminal rests up to one step short of its tile), and it changed since
// it was last seen (a window that kept a size of its own since then was not resized by anyone).
// The reflow reads a window 6 pt off as resized, a drop and the snap back allow it 8 pt.
bool windowResized(const Rect& frame, const Rect& tile, const WindowSizing& sizing, double tolerance);

// ---------------------------------------------------------------------- drops and zooms

// Which pane's window was dropped into which other pane (source, target). `sizings` one per
// pane (missing ones know nothing): a window resized past `sizeTolerance` rules a drop out.
std::optional<std::pair<int, int>> paneSwap(const std::vector<Rect>& paneRects,
                                            const std::vector<std::optional<Rect>>& windowFrames,
                                            const std::vector<WindowSizing>& sizings, std::optional<Point> pointer,
                                            double moveTolerance, double sizeTolerance);
// The pane whose window the user zoomed to cover most of the container, if any: changed since it
// was last seen (`previousSizes`) and not being dragged (`draggedAppIDs`).
std::optional<int> zoomedPane(const std::vector<Rect>& paneRects, const std::vector<std::optional<Rect>>& windowFrames,
                              const std::vector<Uuid>& appIDs, const std::map<Uuid, Size>& previousSizes,
                              const std::set<Uuid>& draggedAppIDs);

// What a resize of the windows means. `inner` is the container inset by 3 pt, `tiles` one per
// pane, `frames` and `sizings` one per pane (frames absent where unreadable; missing sizings know
// nothing); `effective` the ratios the tiles were laid out with, `stored` the workspace's stored
// ratios. Only the edges of resized windows count, and none that rests short of its tile's
// edge by less than one of the window's size steps. A window edge that lies on the inner boundary
// moves that side of the container; one that faces a gutter moves the gutter's ratio; the
// larger move wins and a tie goes to the container.
ResizeReflow reflowFromResize(LayoutType geometry, LayoutType storedType, const Rect& inner,
                              const std::vector<Rect>& tiles, const std::vector<std::optional<Rect>>& frames,
                              const std::vector<WindowSizing>& sizings, const std::vector<double>& effective,
                              const std::vector<double>& stored);

// ---------------------------------------------------------------------- divider reconcile

// Per divider ratio index, where the divider must go so that no window spills more than 24 pt
// past it. `windowSizes` one per pane, the real sizes of the windows (any size of 0 or less
// cancels every fix). Later dividers are computed with the earlier fixes applied.
std::map<int, double> dividerFixes(LayoutType storedType, LayoutType geometry, const Rect& inner,
                                   const std::vector<double>& effective, const std::vector<Size>& windowSizes);

// The full ratio list of `storedType` with `fixes` written in: the stored ratios where present,
// else the type's defaults.
std::vector<double> ratiosWithFixes(LayoutType storedType, const std::optional<std::vector<double>>& stored,
                                    const std::map<int, double>& fixes);

// ---------------------------------------------------------------------- learning minimums

// Whether a window size can be an application's minimum in a layout of this type with
// `appCount` panes, given the visible frame of its screen: a window much larger than its share
// of the screen was not squeezed and says nothing.
bool withinMinimumCap(LayoutType type, const Size& window, const Size& visible, int appCount);

struct BouncePlan {
    std::optional<double> ratio;  // the new first ratio, when it changes
    std::optional<Rect> frame;    // the new container, when it changes
    bool operator==(const BouncePlan&) const = default;
};

// How a split re-divides and grows so that the windows' minimum sizes (`samples`, one per pane)
// fit: the first ratio shares the room by the minimums (the smaller keeping its size, at most
// what leaves 320 pt to the other, when both cannot fit), and the container grows, keeping its
// top-left corner, to the size the minimums need, never past the visible frame of its screen
// and shifted back onto it when the growth would hang over its edge.
BouncePlan planBounce(LayoutType type, int appCount, const std::vector<Size>& samples, const Rect& container,
                      const std::optional<Rect>& visible, const std::optional<std::vector<double>>& storedRatios);

// Whether a window's size, on a screen with the visible frame `screenVisibleAX`, says something of
// its minimum: it lies on the screen and does not fill it (within `fullscreenSlack`).
bool isObservableMinSample(const Rect& windowFrame, const Rect& screenVisibleAX, double fullscreenSlack);

// ---------------------------------------------------------------------- keeping windows on screen

// Where to move a window that is less than half on the given visible frames so that it lies
// inside `target` (its size unchanged); none when it may stay.
std::optional<Point> onScreenOrigin(const Rect& window, const std::vector<Rect>& visibleFrames, const Rect& target);

}  // namespace tessane::GestureRules
