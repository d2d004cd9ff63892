#include "settings/qt/QtSettingsWindow.h"

#include "platform/Defaults.h"
#include "platform/qt/panels/PanelX11.h"
#include "platform/qt/panels/WindowLevel.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace tessane::settings_qt {

namespace {

// The primary display in Qt's geometry, the origin of screen coordinates.
QRect primaryGeometry() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry() : QRect();
}

}  // namespace

// Screen coordinates are points, as every display's frame the window is compared with, and as
// Qt's own geometry (each display's corner where X has it, the rest at the display's scale).
Rect QtSettingsWindow::toScreen(const QRect& g) {
    const QRect p = primaryGeometry();
    return Rect(g.x() - p.x(), (p.y() + p.height()) - (g.y() + g.height()), g.width(), g.height());
}

QRect QtSettingsWindow::fromScreen(const Rect& r) {
    const QRect p = primaryGeometry();
    const Rect s = r.standardized();
    return QRect(static_cast<int>(std::lround(s.minX() + p.x())),
                 static_cast<int>(std::lround(p.y() + p.height() - s.maxY())), static_cast<int>(std::lround(s.width())),
                 static_cast<int>(std::lround(s.height())));
}

QtSettingsWindow::QtSettingsWindow(QWidget* content, Defaults& defaults, QSize contentSize, QSize minimumSize,
                                   const QString& title)
    : QWidget(nullptr, Qt::Window), defaults_(defaults) {
    setObjectName("settingsWindow");
    // Active, it is at the cards' level: a card shown after it lies over it, one shown before under.
    qt_backend::markSharesCardLevel(*this);
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    setMinimumSize(minimumSize);
    resize(contentSize);
}

Rect QtSettingsWindow::frame() const { return toScreen(geometry()); }

void QtSettingsWindow::setFrame(const Rect& frame) { setGeometry(fromScreen(frame)); }

void QtSettingsWindow::setKeptAbove(bool above) {
    if (above == keptAbove_) return;
    keptAbove_ = above;
    if (QWidget::isVisible()) qt_backend::panel_x11::requestKeptAbove(winId(), above);
}

void QtSettingsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (keptAbove_) qt_backend::panel_x11::requestKeptAbove(winId(), true);
}

void QtSettingsWindow::setFrameAutosaveName(const std::string& name) {
    autosaveName_ = name;
    const auto stored = defaults_.stringValue(name);
    if (!stored) return;
    std::istringstream in(*stored);
    double x, y, w, h;
    if (in >> x >> y >> w >> h && w > 0 && h > 0) setFrame(Rect(x, y, w, h));
}

void QtSettingsWindow::saveFrame() {
    if (autosaveName_.empty() || !QWidget::isVisible()) return;
    const Rect f = frame();
    std::ostringstream out;
    out << f.minX() << ' ' << f.minY() << ' ' << f.width() << ' ' << f.height();
    defaults_.set(autosaveName_, out.str());
}

void QtSettingsWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    saveFrame();
}

void QtSettingsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    saveFrame();
}

void QtSettingsWindow::center() {
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect g = geometry();
    // On a short display (a laptop's at double scale) it fits, title bar and all, and scrolls.
    const QRect available = screen->availableGeometry();
    const int titleBar = std::max(0, frameGeometry().height() - g.height());
    g.setHeight(std::max(minimumHeight(), std::min(g.height(), available.height() - titleBar)));
    g.moveCenter(available.center());
    setGeometry(g);
}

void QtSettingsWindow::orderFrontAndFocus() {
    show();
    raise();
    activateWindow();
}

}  // namespace tessane::settings_qt
