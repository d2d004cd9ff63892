#pragma once

#include "base/Geometry.h"
#include "base/Signal.h"
#include "platform/linux/x11/PointSpace.h"

namespace tessane::linux_backend {

class LinuxScreens;

// Converts between screen coordinates (points, origin at the primary display's bottom-left corner,
// y up) and X root coordinates (pixels, origin at the root's top-left, y down), through the
// screens' point space. The displays, their scales and the primary display's place are read once
// and again whenever the displays change, so converting costs no round trip.
class X11ScreenSpace {
public:
    explicit X11ScreenSpace(LinuxScreens& screens);

    // Whole X pixels where a display's scale is not 1 (see PointSpace).
    Rect rootFromScreen(const Rect& screenRect) const;
    Point screenFromRoot(Point rootPoint) const;
    // Reads the displays again (done by itself when the screens port reports a change).
    void refresh();

private:
    LinuxScreens& screens_;
    Point origin_;           // the primary display's top-left corner on the root
    double primaryHeight_ = 0;  // points
    PointSpace space_;
    Subscription changes_;
};

}  // namespace tessane::linux_backend
