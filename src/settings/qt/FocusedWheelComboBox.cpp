#include "settings/qt/FocusedWheelComboBox.h"

#include <QWheelEvent>

namespace tessane::settings_qt {

FocusedWheelComboBox::FocusedWheelComboBox(QWidget* parent) : QComboBox(parent) {
    // Qt's default focus policy lets the wheel itself give the focus, and with it the wheel.
    setFocusPolicy(Qt::StrongFocus);
}

void FocusedWheelComboBox::wheelEvent(QWheelEvent* event) {
    if (hasFocus()) {
        QComboBox::wheelEvent(event);
        return;
    }
    event->ignore();  // to the parent: the scroll area under it scrolls
}

}  // namespace tessane::settings_qt
