#pragma once

#include <QFont>
#include <QLabel>
#include <QString>
#include <QWidget>

namespace tessane::settings_qt {

// Text styles of the settings window, over the application's palette.
QFont headlineFont();
QFont captionFont();
QFont calloutFont();
QFont monospacedCaptionFont();
// Whether the palette in force is a dark one.
bool isDark(const QWidget& widget);
// A word-wrapped caption in the secondary colour.
QLabel* caption(const QString& text, QWidget* parent = nullptr);
// A label in the secondary colour.
void makeSecondary(QLabel* label);

}  // namespace tessane::settings_qt
