#pragma once

#include "shell/AppTheme.h"

#include <QPalette>
#include <QString>

namespace tessane::qt_shell {

// Applies the appearance preference to the whole application: light and dark are Fusion's own
// palettes; system puts back the style and palette the application had when this was made (the
// desktop's), its text made readable. Build it once the QApplication exists, before any theme is
// applied.
class QtAppTheme final {
public:
    QtAppTheme();

    void apply(AppTheme theme);

    static QPalette lightPalette();
    static QPalette darkPalette();
    // `palette` with every text role that reads under 4.5:1 on its backgrounds moved to the nearest
    // colour that does (disabled text excepted): the desktop's palette may not hold it.
    static QPalette readable(QPalette palette);

private:
    QPalette startPalette_;
    QString startStyle_;
};

}  // namespace tessane::qt_shell
