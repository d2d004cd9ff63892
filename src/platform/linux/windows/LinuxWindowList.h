#pragma once

#include "platform/WindowList.h"
#include "platform/linux/x11/X11Connection.h"

namespace tessane::linux_backend {

class LinuxAccessibility;

// The window list of an EWMH window manager: _NET_CLIENT_LIST_STACKING (bottom to top) read
// back to front. Owners come from the Accessibility backend (_NET_WM_PID or the X-Resource
// extension), names from /proc; bounds are its frames as the user sees them (AXPosition and
// AXSize: decorations included, shadow margins not). Unreadable when no window manager keeps
// the stacking list.
class LinuxWindowList final : public WindowList {
public:
    LinuxWindowList(X11Connection& x, LinuxAccessibility& ax) : x_(x), ax_(ax) {}

    std::optional<std::vector<WindowListEntry>> windows(Option option) const override;
    bool serverReachable() const override;

private:
    X11Connection& x_;
    LinuxAccessibility& ax_;
};

}  // namespace tessane::linux_backend
