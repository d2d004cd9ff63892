#pragma once

#include "base/WaitBounds.h"

namespace tessane::linux_backend::replies {

// What the main thread waits for when it waits on the X server (X11Connection::trip): no bound of
// its own, named for the stall log, which then accounts for every wait of a long turn.
inline constexpr WaitBound kStart{"the X server's replies to the connection's start", 0};
inline constexpr WaitBound kRoundTrip{"the X server's round trip", 0};
inline constexpr WaitBound kAtoms{"the X server's replies naming atoms", 0};
inline constexpr WaitBound kProperties{"the X server's replies to properties read", 0};
inline constexpr WaitBound kGeometry{"the X server's replies to windows' places read", 0};
inline constexpr WaitBound kTree{"the X server's replies to windows' parents and children read", 0};
inline constexpr WaitBound kOwners{"the X server's replies to windows' owners read", 0};
inline constexpr WaitBound kAttributes{"the X server's replies to windows' attributes and the manager's selection read", 0};
inline constexpr WaitBound kKeyboard{"the X server's replies about the keyboard", 0};
inline constexpr WaitBound kScreens{"the X server's replies about monitors and outputs", 0};
inline constexpr WaitBound kPointer{"the X server's reply about the pointer", 0};
// The same words as the bound of window control's wait for it, so that both count as one.
inline constexpr WaitBound kManagerAnswer{"the window manager's answer to a round trip", 0};

}  // namespace tessane::linux_backend::replies
