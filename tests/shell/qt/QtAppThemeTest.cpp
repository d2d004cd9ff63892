#include "shell/qt/QtAppTheme.h"
#include "platform/qt/StatusIconPainter.h"  // contrastRatio

#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>

namespace tessane::qt_shell {
namespace {

class QtAppThemeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    static int lightness(QPalette::ColorRole role) { return QApplication::palette().color(role).lightness(); }
};

TEST_F(QtAppThemeTest, LightAndDarkAreFusionAndSystemPutsTheStartBack) {
    const QPalette start = QApplication::palette();
    QtAppTheme theme;

    theme.apply(AppTheme::dark);
    EXPECT_EQ(QApplication::style()->name().toLower(), "fusion");
    EXPECT_LT(lightness(QPalette::Window), 100);
    EXPECT_GT(lightness(QPalette::WindowText), 150);

    theme.apply(AppTheme::light);
    EXPECT_GT(lightness(QPalette::Window), 150);
    EXPECT_LT(lightness(QPalette::WindowText), 100);

    theme.apply(AppTheme::system);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), start.color(QPalette::Window));
    // Secondary text (the placeholder role) reads at 4.5:1 or more on windows and on fields.
    for (const QPalette& p : {QtAppTheme::lightPalette(), QtAppTheme::darkPalette()})
        for (auto ground : {QPalette::Window, QPalette::Base})
            EXPECT_GE(qt_backend::contrastRatio(p.color(QPalette::PlaceholderText), p.color(ground)), 4.5);
    EXPECT_EQ(QApplication::palette().color(QPalette::Text), start.color(QPalette::Text));
}

}  // namespace
}  // namespace tessane::qt_shell
