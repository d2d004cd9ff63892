#pragma once

#include "base/WaitBounds.h"

namespace tessane::qt_backend::toolkit_waits {

// What the main thread waits for when it asks the toolkit something the toolkit asks the X server
// and waits for (on its own connection, whose socket its own thread reads): no bound of their own,
// named for the stall log, which would otherwise leave that time unaccounted for.
inline constexpr WaitBound kWindowMade{"the toolkit's replies to a window of ours made ahead", 0};
inline constexpr WaitBound kWindowShown{"the toolkit's replies to a window of ours shown", 0};
inline constexpr WaitBound kTrayBackdrop{"the toolkit's replies to where our tray icon is and what lies behind it", 0};

}  // namespace tessane::qt_backend::toolkit_waits
