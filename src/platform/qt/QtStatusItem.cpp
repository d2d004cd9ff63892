#include "platform/qt/QtStatusItem.h"

#include "platform/qt/QtStatusMenu.h"
#include "platform/qt/StatusIconPainter.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QSystemTrayIcon>

namespace tessane::qt_backend {

namespace {

// Calls back when the application's palette changes (the desktop switched between light and
// dark, or the theme setting did).
class PaletteWatch final : public QObject {
public:
    explicit PaletteWatch(std::function<void()> changed) : changed_(std::move(changed)) {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) changed_();
        return false;
    }

private:
    std::function<void()> changed_;
};

}  // namespace

QtStatusItem::QtStatusItem()
    : icon_(std::make_unique<QSystemTrayIcon>()), colour_(statusIconColour(QApplication::palette())) {
    paletteWatch_ = std::make_unique<PaletteWatch>([this] {
        const QColor colour = statusIconColour(QApplication::palette());
        if (colour == colour_) return;
        colour_ = colour;
        repaint();
    });
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) openMenuAtPointer();
                     });
    repaint();
    icon_->show();
}

QtStatusItem::~QtStatusItem() {
    icon_->hide();
    icon_->setContextMenu(nullptr);
}

bool QtStatusItem::isAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void QtStatusItem::setImage(const StatusImage& image) {
    if (image == image_) return;
    image_ = image;
    repaint();
}

void QtStatusItem::repaint() { icon_->setIcon(statusIcon(image_, colour_)); }

void QtStatusItem::setToolTip(const std::string& text) { icon_->setToolTip(QString::fromStdString(text)); }

void QtStatusItem::setMenu(std::shared_ptr<StatusMenu> menu) {
    // The old menu goes once the new one is installed: it may be open, and is then closed.
    auto replaced = std::move(menu_);
    if (menu) {
        menu_ = std::make_unique<QtStatusMenu>(std::move(menu));
        QObject::connect(menu_->menu(), &QMenu::aboutToShow, menu_->menu(), [this] {
            if (willOpen_) willOpen_();
        });
    }
    icon_->setContextMenu(this->menu());
}

void QtStatusItem::menuChanged() {
    if (menu_) menu_->sync();
}

void QtStatusItem::setMenuWillOpenHandler(std::function<void()> handler) { willOpen_ = std::move(handler); }

QMenu* QtStatusItem::menu() const { return menu_ ? menu_->menu() : nullptr; }

void QtStatusItem::openMenuAtPointer() {
    QMenu* shown = menu();
    if (shown && !shown->isVisible()) shown->popup(QCursor::pos());
}

}  // namespace tessane::qt_backend
