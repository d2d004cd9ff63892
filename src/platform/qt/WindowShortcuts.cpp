#include "platform/qt/WindowShortcuts.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

namespace tessane::qt_backend {

WindowShortcuts::WindowShortcuts(std::function<void()> quit, std::function<void()> openSettings)
    : quit_(std::move(quit)), openSettings_(std::move(openSettings)) {
    QCoreApplication::instance()->installEventFilter(this);
}

WindowShortcuts::~WindowShortcuts() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool WindowShortcuts::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    // A key press travels from the focused widget up to its window while each widget lets it
    // pass; it reaches the window only when none took it (a shortcut recorder would).
    const auto* window = qobject_cast<QWidget*>(watched);
    if (!window || !window->isWindow()) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::ControlModifier) return false;
    const std::function<void()>* action = key->key() == Qt::Key_Q       ? &quit_
                                          : key->key() == Qt::Key_Comma ? &openSettings_
                                                                        : nullptr;
    if (!action) return false;
    // Holding the keys down asks once.
    if (!key->isAutoRepeat() && *action) QTimer::singleShot(0, this, *action);
    return true;
}

}  // namespace tessane::qt_backend
