#pragma once

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QString>
#include <QWidget>

namespace tessane::settings_qt {

// Text styles of the settings window, over the application's palette.
QFont headlineFont();
QFont captionFont();
QFont calloutFont();
QFont monospacedCaptionFont();
// A word-wrapped caption in the secondary colour.
QLabel* caption(const QString& text, QWidget* parent = nullptr);
// A label in the secondary colour.
void makeSecondary(QLabel* label);
// Makes `area` a borderless scrolling form and returns the column its sections go in.
QVBoxLayout* formColumn(QScrollArea* area);
// A headline above a framed group, added to `column`; the group's rows keep the body font.
QGroupBox* addSection(const char* title, QVBoxLayout* column);

}  // namespace tessane::settings_qt
