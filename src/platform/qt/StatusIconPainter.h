#pragma once

#include "platform/StatusItem.h"

#include <QColor>
#include <QIcon>
#include <QImage>

class QPalette;

namespace tessane::qt_backend {

// The status icon of a state: a rounded rectangle split into two halves, drawn as an outline
// while no workspace is showing and filled while one is, with a dot in its top-right corner when
// an update waits (a clear ring around the dot keeps it apart from the rectangle). Painted in one
// colour on a transparent square of `pixels` x `pixels`. A pure function: no application needed.
QImage paintStatusIcon(const StatusImage& state, int pixels, const QColor& colour);

// The one colour the icon takes on a panel of this palette: light on a dark panel, dark on a light
// one. Desktops paint their panels in their own theme, which the palette's window colour follows.
QColor statusIconColour(const QPalette& palette);

// The icon at every size a tray host may ask for (16 to 32 pixels, and twice that on dense screens).
QIcon statusIcon(const StatusImage& state, const QColor& colour);

}  // namespace tessane::qt_backend
