#pragma once

#include "base/Geometry.h"

#include <optional>
#include <vector>

namespace tessane::linux_backend {

// Whether an activation is followed by a restack request of the window. Most window managers
// raise the window they activate; IceWM only focuses it. A restack request sent anyway is not
// free: xfwm4 answers a client's own restack by restacking every frame it manages again, which
// with a thousand windows keeps the X server busy for seconds. So the request is sent only to a
// manager seen not to raise what it activates, and that is learnt from an activation of a window
// that was not in front.

// One of the root's children, bottom to top, as the check needs it.
struct StackedFrame {
    unsigned long id = 0;
    Rect rect;                 // root coordinates
    bool shownClient = false;  // a shown frame of a listed client (not a menu, a panel of ours)
};

// The shown client frames above `frame` that overlap it, bottom to top (empty: it is in front);
// none when `frame` is not among `bottomToTop`.
std::optional<std::vector<unsigned long>> framesOver(const std::vector<StackedFrame>& bottomToTop, unsigned long frame);

struct ActivationRaise {
    bool raiseNow = false;    // send the restack request with the activation
    bool lookLater = false;   // look once the manager had its time, raise then if it did not
};
// `managerRaises`: what was learnt of the manager of the run (none: nothing yet).
ActivationRaise raiseAfterActivation(std::optional<bool> managerRaises, bool inFrontBefore);

// What a look after the activation finds, from the frames over the window before it and now.
struct ActivationLook {
    std::optional<bool> managerRaises;  // learnt; none: the look tells nothing
    bool raise = false;                 // the manager left it under what covered it: raise it now
};
// The manager made the window active and it went up past what covered it: it raises what it
// activates. Still under the same frames and no other: it does not, and the window is raised
// now. A frame that came over it since (a window mapped meanwhile) is not to be covered again.
ActivationLook lookAfterActivation(bool activeNow, const std::vector<unsigned long>& overBefore,
                                   const std::vector<unsigned long>& overNow);

}  // namespace tessane::linux_backend
