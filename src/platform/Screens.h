#pragma once

#include "base/Geometry.h"
#include "base/Signal.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

// One attached display as the window system describes it.
struct ScreenInfo {
    // The whole display, in screen coordinates: origin at the bottom-left corner of the primary
    // display, y growing upwards, in points.
    Rect frame;
    // The part of `frame` that windows may use: the frame minus the space that docks, panels and
    // menu bars reserve on this display. Never larger than `frame`.
    Rect visibleFrame;
    // The window system's number for this display while it stays attached; absent when the
    // system gives none.
    std::optional<uint32_t> displayNumber;
    // A persistent identity of the physical display, in the canonical 36-character UUID form
    // (8-4-4-4-12 hexadecimal digits, upper case); absent when none can be had. It must survive
    // unplugging, replugging and restarting, because stored container frames are keyed by it.
    std::optional<std::string> displayUUID;
    // The name users know the display by (in menus: "Move to <name>"); empty when it has none.
    // Linux: the output's connector name (HDMI-1), else the monitor's name.
    std::string localizedName;

    bool operator==(const ScreenInfo&) const = default;
};

// The attached displays. Read afresh on every call: the set changes whenever a display comes or
// goes, wakes or is rearranged.
//
// What every backend must report:
// - `screens()` lists the displays in the system's order. The first one is the primary display
//   (the one that holds the origin of both coordinate spaces), so its frame starts at (0, 0).
// - Screen coordinates have their origin at the bottom-left corner of the primary display and y
//   going up. Accessibility coordinates, in which other applications' windows are placed, have
//   their origin at the top-left corner of the primary display and y going down; a rectangle's y
//   in one is the primary display's height minus y minus height in the other.
// - `mainScreen()` is the display the user is working on (the one holding the window that takes
//   keyboard input); absent only when no display is attached.
//
// The Linux (X11 + RandR) backend, specifically:
// - One screen per active RandR monitor (an output driven by a CRTC). The primary display is the
//   RandR primary output, or the first active output by output id when none is marked primary;
//   the others follow in ascending output id.
// - The X root window is y-down and its origin need not be the primary's top-left corner: a root
//   point (rx, ry) is (rx - px, ry - py) in Accessibility coordinates, px, py being the primary
//   monitor's root position; screen coordinates then follow by the flip above. Both are in points:
//   each monitor keeps its top-left corner where X has it and the rest is divided by the scale
//   Qt draws our own windows with there (Xft.dpi, QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS), and
//   a change of that scale is a change of the screens' parameters. The Accessibility, panel and
//   event backends convert with the same displays and origin, so every space agrees with what
//   this port reports.
// - `visibleFrame` is the monitor's frame minus the struts that docks and panels reserve on it
//   (_NET_WM_STRUT_PARTIAL, else _NET_WM_STRUT); the monitor's share of _NET_WORKAREA when struts
//   cannot be read; the frame itself when neither is known.
// - `displayNumber` is the RandR output id (an XID, 32 bits).
// - `displayUUID` is derived deterministically (name-based, SHA-1, version 5 form) from the
//   monitor's EDID when the output has one: the vendor, product code and serial number, plus the
//   serial text descriptor where present, so the same panel gets the same identity on any port.
//   Without EDID it is derived the same way from the connector name ("DP-1", "HDMI-A-0"), which
//   is stable as long as the cabling is. Absent only when neither can be read.
// - `mainScreen()` is the monitor that holds the centre of the focused window
//   (_NET_ACTIVE_WINDOW), else the one under the pointer, else the primary display.
class Screens {
public:
    virtual ~Screens() = default;

    virtual std::vector<ScreenInfo> screens() const = 0;
    virtual std::optional<ScreenInfo> mainScreen() const = 0;

    // ------------------------------------------------------------------------ notifications
    // What the displays and the session tell us. Observers run on the main thread, in the order
    // they subscribed, for every notification sent while their subscription lives. Displays
    // change in bursts: a backend sends each notification as it happens and leaves the
    // settling to its observers.
    //
    // The Linux backend sends:
    // - screenParametersChanged on every RandR screen or output change (monitor added, removed,
    //   rearranged, resolution) and when the struts or _NET_WORKAREA change the visible frames;
    // - didWake, then screensDidWake, when the machine resumes (logind PrepareForSleep false);
    // - sessionDidBecomeActive when the user's session becomes the active one again (logind
    //   session Active, after a switch of users or an unlock of the seat);
    // - activeSpaceDidChange when the current desktop changes (_NET_CURRENT_DESKTOP), and when a
    //   window an Accessibility observer watches enters or leaves fullscreen
    //   (_NET_WM_STATE_FULLSCREEN): on macOS such a window moves to a Space of its own.
    enum class Notification {
        screenParametersChanged,
        didWake,
        screensDidWake,
        sessionDidBecomeActive,
        activeSpaceDidChange,
    };

    [[nodiscard]] virtual Subscription observe(Notification notification,
                                               std::function<void()> handler) = 0;
};

}  // namespace tessane
