#pragma once

#include <QIcon>

namespace tessane::qt_backend {

// The program's own icon (the installed theme's "tessane" when there is one, else the same drawing
// built into the program), at the sizes window managers and task lists ask for; the built-in
// drawing is rendered at each request, not kept.
QIcon applicationIcon();

// The icon of the chrome's panels: the program's icon (QApplication::windowIcon()) at 16 pixels
// only. The panels are in no task list or switcher, and each window carries its icon to the
// server at every size it has (the program's, a third of a megabyte per window).
QIcon panelIcon();

}  // namespace tessane::qt_backend
