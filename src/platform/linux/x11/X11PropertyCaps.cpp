// How much of each property is read. Any client may set any property of its windows to any
// length; reading a title of 1 MiB for every window would cost the main thread and memory for
// nothing. Each property is read only as far as its use goes: titles a few KiB, icons their own
// size, lists as long as a real desktop's, fixed layouts their length.
#include "platform/linux/x11/X11Connection.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>

namespace tessane::linux_backend {

namespace {

struct Cap {
    const char* name;
    long items;  // 32-bit units, as the server counts a read's length
};

constexpr Cap kCaps[] = {
    // What is shown of a window.
    {"_NET_WM_NAME", X11Connection::kTitleBytes / 4},
    {"_NET_WM_VISIBLE_NAME", X11Connection::kTitleBytes / 4},
    {"_NET_WM_ICON_NAME", X11Connection::kTitleBytes / 4},
    {"_NET_WM_VISIBLE_ICON_NAME", X11Connection::kTitleBytes / 4},
    // Names that tell an application apart: short.
    {"_GTK_APPLICATION_ID", 256},
    {"_KDE_NET_WM_DESKTOP_FILE", 256},
    {"_NET_STARTUP_ID", 256},
    // Icons: a 256-pixel icon and the smaller sizes beside it.
    {"_NET_WM_ICON", long{1} << 17},
    // Lists of windows that any client may fill with made-up ids: read in slices by their users.
    {"_NET_CLIENT_LIST", long{1} << 18},
    {"_NET_CLIENT_LIST_STACKING", long{1} << 18},
    // Lists of atoms and per-desktop values.
    {"_NET_SUPPORTED", 4096},
    {"_NET_WORKAREA", 4096},  // four per desktop
    {"_NET_WM_STATE", 64},
    {"_NET_WM_WINDOW_TYPE", 64},
    {"_NET_WM_ALLOWED_ACTIONS", 64},
    // Fixed layouts.
    {"WM_STATE", 2},
    {"_NET_FRAME_EXTENTS", 4},
    {"_GTK_FRAME_EXTENTS", 4},
    {"_NET_WM_STRUT", 4},
    {"_NET_WM_STRUT_PARTIAL", 12},
    {"_NET_WM_PID", 1},
    {"_NET_ACTIVE_WINDOW", 1},
    {"_NET_CURRENT_DESKTOP", 1},
    {"_NET_NUMBER_OF_DESKTOPS", 1},
    {"_NET_SUPPORTING_WM_CHECK", 1},
    {"_NET_WM_DESKTOP", 1},
    {"_NET_WM_USER_TIME", 1},
    {"_NET_WM_USER_TIME_WINDOW", 1},
};

// Anything else: a property we do not know the size of.
constexpr long kOtherItems = long{1} << 14;  // 64 KiB

}  // namespace

long X11Connection::propertyItemCap(XAtomId property) {
    // The atoms every server predefines, which we may use without their names.
    switch (property) {
    case XA_WM_NAME:
    case XA_WM_ICON_NAME: return kTitleBytes / 4;
    case XA_WM_CLASS:
    case XA_WM_CLIENT_MACHINE: return 256;
    case XA_WM_NORMAL_HINTS: return 18;
    case XA_WM_HINTS: return 9;
    case XA_WM_TRANSIENT_FOR: return 1;
    default: break;
    }
    if (auto it = itemCaps_.find(property); it != itemCaps_.end()) return it->second;
    // Only names already interned can be the atom: a property is read by an atom we asked for.
    for (const auto& cap : kCaps)
        if (auto known = atoms_.find(std::string_view(cap.name)); known != atoms_.end() && known->second == property)
            return itemCaps_[property] = cap.items;
    return kOtherItems;
}

}  // namespace tessane::linux_backend
