#pragma once

#include <QApplication>

#include <cstdlib>

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

}  // namespace tessane::uitest
