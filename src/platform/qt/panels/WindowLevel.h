#pragma once

#include <QVariant>
#include <QWidget>

namespace tessane::qt_backend {

// Our top-level windows lie over the cards, except the one marked here (the settings window): it
// shares their level while ours is the active application, so whichever of it and a card was
// ordered front last lies above (see PanelStacking).
inline constexpr const char* kSharesCardLevel = "tessaneSharesCardLevel";

inline void markSharesCardLevel(QWidget& window) { window.setProperty(kSharesCardLevel, true); }
inline bool sharesCardLevel(const QWidget* window) { return window && window->property(kSharesCardLevel).toBool(); }

}  // namespace tessane::qt_backend
