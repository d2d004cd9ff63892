#pragma once

#include "base/Geometry.h"
#include "platform/Screens.h"

namespace tessane {

// Where a card of `size` goes near a container (both in screen coordinates, y up): centred
// under the container's middle, its bottom edge 28 points above the container's bottom edge,
// then kept 8 points inside the visible frame of the first screen that meets the container
// (else the main screen's). When the card is larger than that frame allows, the right and top
// bounds win. Without any screen the card stays where the rule put it.
Rect cardFrameNear(const Rect& container, Size size, const Screens& screens);

}  // namespace tessane
