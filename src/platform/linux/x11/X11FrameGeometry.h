#pragma once

#include "base/Geometry.h"

#include <optional>
#include <vector>

namespace tessane::linux_backend {

// Margins on the four sides of a rectangle, in pixels.
struct FrameExtents {
    double left = 0, right = 0, top = 0, bottom = 0;

    // From a CARDINAL[4] property (left, right, top, bottom) as _NET_FRAME_EXTENTS and
    // _GTK_FRAME_EXTENTS carry it; none when it is missing, short or negative, or when the two
    // sides of an axis together reach `limit` on that axis. Any client may write either property
    // on any window: margins wider than what they surround, or than a good part of the screen,
    // are nobody's frame, and taken as such they would put the window far off the screen.
    static std::optional<FrameExtents> fromCardinals(const std::optional<std::vector<long>>& values, Size limit);
    // The margins of `outer` around `inner`, under the same sanity rules as fromCardinals: none
    // when `inner` is not inside `outer`, or when an axis's margins together reach `limit`.
    static std::optional<FrameExtents> between(const Rect& outer, const Rect& inner, Size limit);
    bool operator==(const FrameExtents&) const = default;

private:
    static std::optional<FrameExtents> sane(const FrameExtents& e, Size limit);
};

// A client window and the frame its user sees: the client area, plus the window manager's
// decorations around it (_NET_FRAME_EXTENTS: title bar, borders), minus the invisible margin a
// client that draws its own frame keeps inside its area for shadows (_GTK_FRAME_EXTENTS). Every
// conversion between what the Accessibility port speaks (the visible frame) and what X11 and the
// window manager speak (the client area, the window manager's outer frame) goes through here.
// All rectangles and points are root coordinates.
struct WindowFrame {
    Rect client;               // the client area, inside any X border
    FrameExtents decorations;  // the window manager's, outside the client area
    FrameExtents shadow;       // the client's own, inside the client area
    double borderWidth = 0;    // the client's X border (most managers take it away)

    Rect visible() const;
    // The top-left corner of the window manager's frame (decorations included) that puts the
    // visible frame's top-left corner at `visibleOrigin`: what _NET_MOVERESIZE_WINDOW with
    // north-west gravity places.
    Point outerOrigin(Point visibleOrigin) const;
    // The client size that gives a visible frame of `visibleSize`; at least 1 x 1.
    Size clientSize(Size visibleSize) const;
};

// ICCCM window gravities (WM_NORMAL_HINTS win_gravity); north-west when a client names none.
namespace gravity {
inline constexpr int northWest = 1, north = 2, northEast = 3, west = 4, center = 5, east = 6,
                     southWest = 7, south = 8, southEast = 9, statik = 10;
}

// The position for a plain ConfigureWindow request on the client, for a window manager without
// _NET_MOVERESIZE_WINDOW: the window manager takes that position as the client's own (border
// included) and moves its frame so that the reference point of the client's window gravity stays
// where the client asked (ICCCM 4.1.2.3). This answers the request position that puts the outer
// frame at `outerOrigin` for a client with an X border of `borderWidth` (the client's size drops
// out: both reference points move with it alike).
Point configurePosition(Point outerOrigin, const FrameExtents& decorations, double borderWidth,
                        int winGravity);

}  // namespace tessane::linux_backend
