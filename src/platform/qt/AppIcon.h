#pragma once

#include <QIcon>

namespace tessane::qt_backend {

// The program's own icon (the installed theme's "tessane" when there is one, else the same drawing
// built into the program), rendered at the sizes window managers and task lists ask for.
QIcon applicationIcon();

}  // namespace tessane::qt_backend
