#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <optional>

namespace tessane::qt_backend {

// What the X screen's system tray tells about the panel it sits in. Empty answers without an X11
// connection (offscreen) or without a tray.

// The foreground colour the tray announces for its icons (_NET_SYSTEM_TRAY_COLORS on the window
// that owns the screen's tray selection).
std::optional<QColor> trayAnnouncedForeground();

// The screen as shown within `area` (device pixels of the virtual desktop).
QImage grabScreenArea(const QRect& area);

// What the window `icon` is docked in holds behind it, the icon included, read from that window
// itself: under a compositing manager the screen shows a newly mapped panel only once the
// compositor has drawn it. The screen within `area` while the icon is not docked (a child of the
// root) or is docked in a window with an alpha channel, which reads back clear, not as the panel.
QImage grabDockedArea(unsigned long icon, const QRect& area);

}  // namespace tessane::qt_backend
