#include "platform/linux/x11/X11ScreenSpace.h"

#include "platform/linux/x11/LinuxScreens.h"

namespace tessane::linux_backend {

X11ScreenSpace::X11ScreenSpace(LinuxScreens& screens) : screens_(screens) {
    refresh();
    changes_ = screens_.observe(Screens::Notification::screenParametersChanged, [this] { refresh(); });
}

void X11ScreenSpace::refresh() {
    origin_ = screens_.primaryRootOrigin();
    const auto all = screens_.screens();
    primaryHeight_ = all.empty() ? 0 : all.front().frame.height();
    space_ = screens_.pointSpace();
}

Rect X11ScreenSpace::rootFromScreen(const Rect& r) const {
    const Rect s = r.standardized();
    return space_.pixelsFromPoints(Rect(s.origin.x + origin_.x, primaryHeight_ - s.origin.y - s.size.height + origin_.y,
                                        s.size.width, s.size.height));
}

Point X11ScreenSpace::screenFromRoot(Point pixels) const {
    const Point p = space_.pointsFromPixels(pixels);
    return {p.x - origin_.x, primaryHeight_ - (p.y - origin_.y)};
}

}  // namespace tessane::linux_backend
