#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <algorithm>

namespace tessane::x11test {

// Whether the X server shows `window`: mapped, and with some of its bounding shape inside it. Our
// panels ordered out while a compositing manager runs stay mapped, shaped to nothing.
inline bool shownOnScreen(Display* d, Window window, XWindowAttributes* attributesOut = nullptr) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(d, window, &attributes) || attributes.map_state != IsViewable) return false;
    if (attributesOut) *attributesOut = attributes;
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(d, window, ShapeBounding, &count, &ordering);
    const bool any = std::any_of(rects, rects + count, [](const XRectangle& r) { return r.x + r.width > 0 && r.y + r.height > 0; });
    if (rects) XFree(rects);
    return any;
}

}  // namespace tessane::x11test
