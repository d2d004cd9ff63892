#include "shell/qt/QtAppTheme.h"

#include "platform/qt/panels/TextContrast.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>

namespace tessane::qt_shell {

namespace {

// The style named `name`, its disabled text drawn once: Fusion adds an etched copy one pixel off
// in the palette's light colour, which on a dark menu reads as a doubled header.
class UnetchedStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_EtchDisabledText) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

void setStyle(const QString& name) { QApplication::setStyle(new UnetchedStyle(name)); }

// The name of the style in force, under the proxy when one was put over it.
QString styleName() {
    const QStyle* style = QApplication::style();
    if (const auto* proxy = qobject_cast<const QProxyStyle*>(style)) style = proxy->baseStyle();
    return style ? style->name() : QString();
}

}  // namespace

QtAppTheme::QtAppTheme()
    : startPalette_(QApplication::palette()),
      startStyle_(styleName()) {}

QPalette QtAppTheme::lightPalette() {
    QStyle* fusion = QStyleFactory::create("Fusion");
    QPalette palette = fusion ? fusion->standardPalette() : QPalette(Qt::white);
    delete fusion;
    // Secondary text (the placeholder role) at 4.5:1 or more on the window and on fields.
    palette.setColor(QPalette::PlaceholderText, QColor(104, 104, 104));
    return palette;
}

QPalette QtAppTheme::darkPalette() {
    // Secondary text keeps 4.5:1 on the window and on fields; disabled text may stay fainter.
    const QColor window(45, 45, 48), base(30, 30, 32), text(230, 230, 230), secondary(153, 153, 153),
        disabled(128, 128, 128);
    const QColor accent(42, 130, 218);
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, secondary);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Light, QColor(70, 70, 74));
    p.setColor(QPalette::Midlight, QColor(60, 60, 64));
    p.setColor(QPalette::Mid, QColor(40, 40, 42));
    p.setColor(QPalette::Dark, QColor(20, 20, 22));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Link, accent);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    return p;
}

QPalette QtAppTheme::readable(QPalette p) {
    using qt_backend::readableOn;
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        const auto c = [&](QPalette::ColorRole role) { return p.color(group, role); };
        const auto set = [&](QPalette::ColorRole role, std::initializer_list<QColor> grounds) {
            p.setColor(group, role, readableOn(c(role), grounds));
        };
        // Group boxes and framed sections tint the window a little.
        const QColor window = c(QPalette::Window), tinted = window.lightness() < 128 ? window.lighter(115) : window.darker(108);
        set(QPalette::WindowText, {window, tinted});
        set(QPalette::Text, {c(QPalette::Base), c(QPalette::AlternateBase)});
        set(QPalette::ButtonText, {c(QPalette::Button)});
        set(QPalette::PlaceholderText, {window, tinted, c(QPalette::Base)});
        set(QPalette::HighlightedText, {c(QPalette::Highlight)});
        set(QPalette::ToolTipText, {c(QPalette::ToolTipBase)});
        set(QPalette::Link, {window, tinted, c(QPalette::Base)});
        set(QPalette::LinkVisited, {window, tinted, c(QPalette::Base)});
    }
    return p;
}

void QtAppTheme::apply(AppTheme theme) {
    switch (theme) {
    case AppTheme::light:
        setStyle("Fusion");
        QApplication::setPalette(readable(lightPalette()));
        return;
    case AppTheme::dark:
        setStyle("Fusion");
        QApplication::setPalette(readable(darkPalette()));
        return;
    case AppTheme::system:
        if (!startStyle_.isEmpty()) setStyle(startStyle_);
        QApplication::setPalette(readable(startPalette_));
        return;
    }
}

}  // namespace tessane::qt_shell
