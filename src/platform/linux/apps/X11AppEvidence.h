#pragma once

#include "platform/linux/x11/X11Connection.h"

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tessane::linux_backend {

// What a window says about the application it belongs to: the toolkit's application id
// (_GTK_APPLICATION_ID, _KDE_NET_WM_DESKTOP_FILE), the startup id of the launch that made it
// (_NET_STARTUP_ID, on the window or its client leader) and WM_CLASS (instance, class).
struct WindowAppEvidence {
    std::optional<std::string> gtkApplicationId;
    std::optional<std::string> kdeDesktopFile;
    std::optional<std::string> startupId;
    std::optional<std::pair<std::string, std::string>> wmClass;

    // Every window's evidence in one batched read per property (a round trip for all the
    // windows, not one per window; one more for client leaders when a startup id is not on the
    // window itself); a window that has gone says nothing.
    static std::vector<WindowAppEvidence> read(X11Connection& x, std::span<const XWindowId> windows);
};

}  // namespace tessane::linux_backend
