#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace tessane::settings_qt {

// The small symbols of the settings window, drawn by us.
enum class Symbol {
    gear,            // General
    splitRectangle,  // Workspaces: a rectangle split in two
    sliders,         // Advanced: three horizontal sliders
    plus,
    minus,
    ellipsisCircle,  // the app row's menu
    appDashed,       // an app without an icon
};

QPixmap symbolPixmap(Symbol symbol, int side, const QColor& color, qreal devicePixelRatio = 2.0);
QIcon symbolIcon(Symbol symbol, int side, const QColor& color);

}  // namespace tessane::settings_qt
