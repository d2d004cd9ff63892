#pragma once

#include <QApplication>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tessane::uitest {

// One offscreen QApplication for the whole test program, made on first use.
inline void ensureOffscreenApplication() {
    static int argc = 1;
    static char name[] = "tests_ui";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        new QApplication(argc, argv);
    }
}

// Saves the widget's image for people to look at: under TESSANE_SCREENSHOT_DIR, else the
// current folder (the build's test folder under ctest). Answers whether it was written.
inline bool saveScreenshot(QWidget& widget, const std::string& file) {
    const char* dir = std::getenv("TESSANE_SCREENSHOT_DIR");
    const auto path = std::filesystem::path(dir ? dir : ".") / file;
    return widget.grab().save(QString::fromStdString(path.string()));
}

}  // namespace tessane::uitest
