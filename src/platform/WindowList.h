#pragma once

#include "base/Geometry.h"
#include "platform/RunningApplications.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessane {

// One window of the window server's list.
struct WindowListEntry {
    uint32_t number = 0;                 // the window's number (an Accessibility window number)
    std::optional<Pid> ownerPid;
    std::optional<std::string> ownerName;
    // 0 for ordinary application windows; higher for windows kept above them (floating panels,
    // docks), lower for windows kept below them.
    int layer = 0;
    Rect bounds;                         // Accessibility coordinates (top-left origin, y down)
    bool isOnScreen = true;              // shown now: not minimized, on the current desktop

    bool operator==(const WindowListEntry&) const = default;
};

// The window server's list of windows, front to back. Desktop elements (the desktop's own
// window) are never listed.
//
// Linux (X11): the window manager's _NET_CLIENT_LIST_STACKING, reversed; the layer is 0 for
// ordinary windows, kAboveLayer for windows kept above (_NET_WM_STATE_ABOVE), kDockLayer for
// docks and panels, kBelowLayer for windows kept below; bounds are the frame the user sees
// (decorations included, invisible shadow margins not) in Accessibility coordinates, exactly
// the Accessibility port's AXPosition and AXSize.
class WindowList {
public:
    enum class Option {
        allWindows,    // on screen or not
        onScreenOnly,  // only what is shown now
    };
    static constexpr int kBelowLayer = -1;
    static constexpr int kAboveLayer = 3;
    static constexpr int kDockLayer = 20;

    virtual ~WindowList() = default;

    // nullopt when the list cannot be read (no window server, no window manager keeping one).
    virtual std::optional<std::vector<WindowListEntry>> windows(Option option) const = 0;
    // False once the connection to the window server is gone for good (the session ended under
    // us): nothing asked of any window reaches it any more.
    virtual bool serverReachable() const { return true; }
};

}  // namespace tessane
