#include "shell/qt/QtAppTheme.h"
#include "platform/qt/tray/StatusIconPainter.h"  // contrastRatio
#include "ui/OffscreenApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QProxyStyle>
#include <QStyle>

#include <cstdlib>

namespace tessane::qt_shell {
namespace {

class QtAppThemeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { uitest::ensureOffscreenApplication(); }
    static int lightness(QPalette::ColorRole role) { return QApplication::palette().color(role).lightness(); }
};

TEST_F(QtAppThemeTest, LightAndDarkAreFusionAndSystemPutsTheStartBack) {
    const QPalette start = QApplication::palette();
    QtAppTheme theme;

    theme.apply(AppTheme::dark);
    EXPECT_EQ(qobject_cast<QProxyStyle*>(QApplication::style())->baseStyle()->name().toLower(), "fusion");
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_EtchDisabledText), 0) << "a dark menu's header drawn once";
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

// Every text role on its backgrounds, from the palette in force, in each theme, the system one
// over a desktop palette that does not hold 4.5:1 itself.
TEST_F(QtAppThemeTest, EveryTextRoleReadsAtFourAndAHalfToOneInEveryTheme) {
    const QPalette before = QApplication::palette();
    QPalette desktop = QtAppTheme::lightPalette();
    desktop.setColor(QPalette::Window, QColor(218, 218, 218));
    QColor hint(Qt::black);
    hint.setAlphaF(0.5);  // a desktop's hint: its text half transparent
    desktop.setColor(QPalette::PlaceholderText, hint);
    desktop.setColor(QPalette::Link, QColor(80, 150, 255));
    desktop.setColor(QPalette::ToolTipText, QColor(120, 120, 120));
    QApplication::setPalette(desktop);
    QtAppTheme theme;
    for (AppTheme t : allAppThemes()) {
        theme.apply(t);
        const QPalette p = QApplication::palette();
        const QColor window = p.color(QPalette::Window);
        const QColor tinted = window.lightness() < 128 ? window.lighter(115) : window.darker(108);
        const std::vector<std::pair<QPalette::ColorRole, std::vector<QColor>>> pairs = {
            {QPalette::WindowText, {window, tinted}},
            {QPalette::Text, {p.color(QPalette::Base), p.color(QPalette::AlternateBase)}},
            {QPalette::ButtonText, {p.color(QPalette::Button)}},
            {QPalette::PlaceholderText, {window, tinted, p.color(QPalette::Base)}},
            {QPalette::HighlightedText, {p.color(QPalette::Highlight)}},
            {QPalette::ToolTipText, {p.color(QPalette::ToolTipBase)}},
            {QPalette::Link, {window, tinted, p.color(QPalette::Base)}},
            {QPalette::LinkVisited, {window, tinted, p.color(QPalette::Base)}}};
        EXPECT_GT(std::abs(p.color(QPalette::PlaceholderText).lightness() - p.color(QPalette::Text).lightness()), 40)
            << label(t) << ": a hint, not typed text";
        for (const auto& [role, grounds] : pairs)
            for (const QColor& ground : grounds)
                EXPECT_GE(qt_backend::contrastRatio(p.color(role), ground), 4.5)
                    << label(t) << ": role " << role << " on " << ground.name().toStdString();
    }
    theme.apply(AppTheme::system);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), desktop.color(QPalette::Window))
        << "the system theme keeps the desktop's backgrounds";
    QApplication::setPalette(before);
}

}  // namespace
}  // namespace tessane::qt_shell
