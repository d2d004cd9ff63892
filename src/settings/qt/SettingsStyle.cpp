#include "settings/qt/SettingsStyle.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>

namespace tessane::settings_qt {

namespace {

QFont sized(double factor, bool bold = false) {
    QFont f = QApplication::font();
    const double base = f.pointSizeF() > 0 ? f.pointSizeF() : 10;
    f.setPointSizeF(base * factor);
    f.setBold(bold);
    return f;
}

}  // namespace

QFont headlineFont() { return sized(1.0, true); }
QFont captionFont() { return sized(0.85); }
QFont calloutFont() { return sized(0.95); }

QFont monospacedCaptionFont() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSizeF(captionFont().pointSizeF());
    return f;
}

void makeSecondary(QLabel* label) {
    // A role rather than a colour, so the label follows a theme change.
    label->setForegroundRole(QPalette::PlaceholderText);
}

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(captionFont());
    label->setWordWrap(true);
    makeSecondary(label);
    return label;
}

QVBoxLayout* formColumn(QScrollArea* area) {
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 16, 20, 16);
    column->setSpacing(14);
    area->setWidget(content);
    return column;
}

QGroupBox* addSection(const char* title, QVBoxLayout* column) {
    auto* header = new QLabel(QString::fromUtf8(title));
    header->setFont(headlineFont());
    column->addWidget(header);
    auto* box = new QGroupBox;
    column->addWidget(box);
    return box;
}

}  // namespace tessane::settings_qt
