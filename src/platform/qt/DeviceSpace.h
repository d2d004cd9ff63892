#pragma once

#include "base/Geometry.h"

#include <QPointF>
#include <QRect>

#include <vector>

namespace tessane::qt_backend {

// Root coordinates (X pixels, where the controller's frames live) against Qt's geometry
// (device-independent pixels). Qt keeps each screen's top-left corner where X has it and divides
// the rest by that screen's device pixel ratio, so a conversion needs the screen it happens on.
// Every window, menu position and pointer location of ours that crosses between the two goes
// through here.
struct ScreenScale {
    QRect qt;            // the screen in Qt's geometry
    double ratio = 1;    // its device pixel ratio
    Rect root() const;   // the screen in X pixels
};

// The screens as Qt has them now (none without a GUI application).
std::vector<ScreenScale> screenScales();

// The screen holding `rootPoint` (X pixels), else the nearest one; none when there are none.
const ScreenScale* screenAtRoot(const std::vector<ScreenScale>& screens, Point rootPoint);

QRect qtFromRoot(const std::vector<ScreenScale>& screens, const Rect& root);
QPoint qtFromRoot(const std::vector<ScreenScale>& screens, Point root);
Point rootFromQt(const std::vector<ScreenScale>& screens, QPointF qt);
Rect rootFromQt(const std::vector<ScreenScale>& screens, const QRect& qt);

// The same on the screens of the moment.
inline QRect qtFromRoot(const Rect& root) { return qtFromRoot(screenScales(), root); }
inline QPoint qtFromRoot(Point root) { return qtFromRoot(screenScales(), root); }
inline Point rootFromQt(QPointF qt) { return rootFromQt(screenScales(), qt); }
inline Rect rootFromQt(const QRect& qt) { return rootFromQt(screenScales(), qt); }

}  // namespace tessane::qt_backend
