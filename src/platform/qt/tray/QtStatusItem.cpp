#include "platform/qt/tray/QtStatusItem.h"

#include "platform/qt/ToolkitWaits.h"
#include "platform/qt/tray/QtStatusMenu.h"
#include "platform/qt/tray/StatusIconPainter.h"
#include "platform/qt/tray/TrayPanel.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

namespace tessane::qt_backend {

namespace {

// Calls back when what lies behind the icon may have changed: the application's palette (the
// desktop switched between light and dark, or the theme setting did), or the icon's own window in
// a tray was shown, moved or painted (docked, moved along the panel): `trayWindowEvent` decides.
// Qt keeps that window to itself; it is the one top-level widget of its class.
class BackdropWatch final : public QObject {
public:
    BackdropWatch(std::function<void()> paletteChanged, std::function<void()> trayWindowEvent)
        : paletteChanged_(std::move(paletteChanged)), trayWindowEvent_(std::move(trayWindowEvent)) {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (watched == qApp && type == QEvent::ApplicationPaletteChange) paletteChanged_();
        if ((type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint) &&
            watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow() &&
            qstrcmp(watched->metaObject()->className(), "QSystemTrayIconSys") == 0)
            trayWindowEvent_();
        return false;
    }

private:
    std::function<void()> paletteChanged_;
    std::function<void()> trayWindowEvent_;
};

// The icon's own window, which Qt keeps to itself; 0 while there is none.
unsigned long iconWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0 && widget->testAttribute(Qt::WA_WState_Created))
            return static_cast<unsigned long>(widget->winId());
    return 0;
}

}  // namespace

QtStatusItem::QtStatusItem()
    : icon_(std::make_unique<QSystemTrayIcon>()),
      ink_(statusIconInk({}, QApplication::palette())),
      colours_(std::make_unique<TrayColours>()),
      coloursPoll_(std::make_unique<QTimer>()) {
    // The answer comes within a few milliseconds from an idle server, later from a busy one.
    coloursPoll_->setInterval(10);
    QObject::connect(coloursPoll_.get(), &QTimer::timeout, coloursPoll_.get(), [this] { takeColours(); });
    watch_ = std::make_unique<BackdropWatch>([this] { refreshInk(); }, [this] {
        // A new place in a tray is read once the tray has painted its panel behind it, and twice
        // more a little later: a compositing manager (or a busy machine) may put that panel on
        // the screen later still, and a panel read too early would stay wrong.
        placeReads_ = 0;
        const unsigned long place = ++placeChanges_;
        for (const int delay : {150, 600, 2000})
            QTimer::singleShot(delay, watch_.get(), [this, place] {
                if (place == placeChanges_) refreshInk();
            });
    });
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) openMenuAtPointer();
                     });
    repaint();
    refreshInk();
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

void QtStatusItem::refreshInk() {
    colours_->ask();
    if (colours_->open() && !coloursPoll_->isActive()) coloursPoll_->start();
    applyInk();
}

void QtStatusItem::takeColours() {
    if (!colours_->take()) return;
    coloursPoll_->stop();
    if (colours_->foreground() != inkedFor_) applyInk();
}

void QtStatusItem::applyInk() {
    TrayBackdrop backdrop;
    backdrop.announcedForeground = inkedFor_ = colours_->foreground();
    // The panel behind the icon only matters, and is only read (the server asked and waited for),
    // where the tray announces no colour.
    if (!backdrop.announcedForeground) {
        const WaitBounds::Timed waited(toolkit_waits::kTrayBackdrop);
        // Qt knows where a tray docked the icon; a host that draws the icon itself (a status
        // notifier host) tells nothing of the kind, and the geometry stays empty.
        const QRect at = icon_->geometry();
        backdrop.sampledBackground = backdropColour(grabDockedArea(iconWindow(), at));
        // Qt learns where a tray docked the icon a little after the tray has done it: a few more
        // reads while its place is not known yet (a status notifier host never tells it: the
        // reads end after a few seconds).
        if (at.isEmpty() && placeReads_ < kPlaceReads) {
            ++placeReads_;
            QTimer::singleShot(250, watch_.get(), [this] { refreshInk(); });
        } else if (!at.isEmpty()) {
            placeReads_ = 0;
        }
    }
    const StatusIconInk ink = statusIconInk(backdrop, QApplication::palette());
    if (ink == ink_) return;
    ink_ = ink;
    icons_.clear();
    repaint();
}

void QtStatusItem::repaint() {
    QIcon& icon = icons_[{image_.live, image_.badged}];
    if (icon.isNull()) icon = statusIcon(image_, ink_);
    if (icon_->icon().cacheKey() != icon.cacheKey()) icon_->setIcon(icon);
}

void QtStatusItem::setToolTip(const std::string& text) { icon_->setToolTip(QString::fromStdString(text)); }

void QtStatusItem::setMenu(std::shared_ptr<StatusMenu> menu) {
    // The old menu goes once the new one is installed: it may be open, and is then closed.
    auto replaced = std::move(menu_);
    if (menu) {
        menu_ = std::make_unique<QtStatusMenu>(std::move(menu));
        QObject::connect(menu_->menu(), &QMenu::aboutToShow, menu_->menu(), [this] {
            refreshInk();
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
