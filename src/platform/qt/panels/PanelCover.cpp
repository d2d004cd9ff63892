#include "platform/qt/panels/PanelCover.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace tessane::qt_backend {

namespace {
// Whether the window manager takes the window, whether or not it is shown now.
bool managed(const QWindow& window) {
    const Qt::WindowFlags flags = window.flags();
    const Qt::WindowType type = window.type();
    return !window.parent() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::Desktop &&
           !(flags & Qt::X11BypassWindowManagerHint) && !(flags & Qt::WindowStaysOnBottomHint);
}
}  // namespace

bool coversPanels(const QWindow& window) {
    return managed(window) && window.isVisible() && !(window.windowStates() & Qt::WindowMinimized);
}

QRegion windowCover(const QRect& frame, const QRect& client, const QRegion& clientShape) {
    if (clientShape.isEmpty()) return frame;
    return QRegion(frame) - (QRegion(client) - clientShape.translated(client.topLeft()));
}

QRegion nativeMask(const QWindow& window) {
    const QRegion mask = window.mask();
    const double ratio = window.devicePixelRatio();
    if (mask.isEmpty() || ratio == 1) return mask;
    // Scaled rectangle by rectangle, as the toolkit scales it for the server.
    QRegion scaled;
    for (const QRect& r : mask)
        scaled += QRect(QPoint(qRound(r.x() * ratio), qRound(r.y() * ratio)),
                        QSize(qRound(r.width() * ratio), qRound(r.height() * ratio)));
    return scaled;
}

QRegion coveredPart(const QRect& panel, const QRegion& over) { return (over & panel).translated(-panel.topLeft()); }

CoverWatch::CoverWatch(std::function<void()> changed) : changed_(std::move(changed)) {
    QCoreApplication::instance()->installEventFilter(this);
}

CoverWatch::~CoverWatch() {
    if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool CoverWatch::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Expose:
    case QEvent::WindowStateChange:
        if (watched->isWindowType() && managed(*static_cast<QWindow*>(watched))) changed_();
        break;
    default: break;
    }
    return false;
}

}  // namespace tessane::qt_backend
