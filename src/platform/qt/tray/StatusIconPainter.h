#pragma once

#include "platform/StatusItem.h"

#include <QColor>
#include <QIcon>
#include <QImage>

#include <optional>

class QPalette;

namespace tessane::qt_backend {

// How the icon is inked: one colour, and a thin outline of another around every stroke where the
// panel behind it is unknown, so that it reads on a light panel as well as on a dark one.
struct StatusIconInk {
    StatusIconInk(QColor ink = {}, std::optional<QColor> halo = {}) : ink(ink), halo(halo) {}
    QColor ink;
    std::optional<QColor> halo;
    bool operator==(const StatusIconInk&) const = default;
};

// What is known of the panel the icon sits in: the foreground colour the tray announces for its
// icons, and the panel's colour as seen behind the icon.
struct TrayBackdrop {
    std::optional<QColor> announcedForeground;
    std::optional<QColor> sampledBackground;
    bool operator==(const TrayBackdrop&) const = default;
};

// The status icon of a state: a rounded rectangle split into two halves, drawn as an outline
// while no workspace is showing and filled while one is, with a dot in its top-right corner when
// an update waits (a clear ring around the dot keeps it apart from the rectangle). Painted on a
// transparent square of `pixels` x `pixels`. A pure function: no application needed.
QImage paintStatusIcon(const StatusImage& state, int pixels, const StatusIconInk& ink);

// The ink of a guessed panel: light on a dark palette, dark on a light one. Desktops paint their
// panels in their own theme, which the palette's window colour often follows.
QColor statusIconColour(const QPalette& palette);

// The ink for a panel: the tray's own foreground when it announces one; else the one of a light and
// a dark ink that stands out more from the panel's seen colour (white or black where that one
// stays under 4.5:1); else the palette's guess with an outline of the other.
StatusIconInk statusIconInk(const TrayBackdrop& backdrop, const QPalette& palette);

// The panel's colour in an image of the screen under a docked icon: the median of the rows above
// and below the symbol, which the icon leaves transparent. None when the image is empty.
std::optional<QColor> backdropColour(const QImage& iconArea);

// WCAG contrast ratio of two opaque colours (1 to 21).
double contrastRatio(const QColor& a, const QColor& b);

// The icon at every size a tray host may ask for (16 to 32 pixels, and twice that on dense screens).
QIcon statusIcon(const StatusImage& state, const StatusIconInk& ink);

}  // namespace tessane::qt_backend
