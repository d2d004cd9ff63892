#include "platform/qt/QuitShortcut.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

namespace tessane::qt_backend {

QuitShortcut::QuitShortcut(std::function<void()> quit) : quit_(std::move(quit)) {
    QCoreApplication::instance()->installEventFilter(this);
}

QuitShortcut::~QuitShortcut() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool QuitShortcut::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    // A key press travels from the focused widget up to its window while each widget lets it
    // pass; it reaches the window only when none took it (a shortcut recorder would).
    const auto* window = qobject_cast<QWidget*>(watched);
    if (!window || !window->isWindow()) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() != Qt::Key_Q || modifiers != Qt::ControlModifier) return false;
    // Holding the keys down asks once.
    if (!key->isAutoRepeat() && quit_) QTimer::singleShot(0, this, quit_);
    return true;
}

}  // namespace tessane::qt_backend
