#pragma once

#include "base/Geometry.h"
#include "base/Signal.h"

namespace tessane::linux_backend {

class LinuxScreens;

// Converts between screen coordinates (origin at the primary display's bottom-left corner, y up)
// and X root coordinates (origin at the root's top-left, y down). The primary display's place on
// the root and its height are read once and again whenever the displays change, so converting
// costs no round trip.
class X11ScreenSpace {
public:
    explicit X11ScreenSpace(LinuxScreens& screens);

    Rect rootFromScreen(const Rect& screenRect) const;
    Point screenFromRoot(Point rootPoint) const;
    // Reads the displays again (done by itself when the screens port reports a change).
    void refresh();

private:
    LinuxScreens& screens_;
    Point origin_;           // the primary display's top-left corner on the root
    double primaryHeight_ = 0;
    Subscription changes_;
};

}  // namespace tessane::linux_backend
