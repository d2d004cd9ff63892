#include "settings/qt/QtSettingsDesktop.h"

#include "settings/qt/QtSettingsWindow.h"
#include "settings/qt/SettingsView.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QPointer>
#include <QUrl>
#include <QWidget>

namespace tessane::settings_qt {

void setClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void revealInFiles(const std::filesystem::path& file) {
    const QUrl fileUrl = QUrl::fromLocalFile(QString::fromStdString(file.string()));
    const QUrl folderUrl = QUrl::fromLocalFile(QString::fromStdString(file.parent_path().string()));
    auto message = QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                                  "org.freedesktop.FileManager1", "ShowItems");
    message << QStringList{fileUrl.toString()} << QString();
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folderUrl);
        return;
    }
    // Asynchronous: a file manager that is slow to start must not hold up the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, 5000), qApp);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, qApp, [watcher, folderUrl] {
        if (watcher->isError()) QDesktopServices::openUrl(folderUrl);
        watcher->deleteLater();
    });
}

bool isApplicationActive() { return QGuiApplication::applicationState() == Qt::ApplicationActive; }

Subscription observeApplicationActivity(std::function<void(bool active)> observer) {
    auto connection = QObject::connect(qApp, &QGuiApplication::applicationStateChanged, qApp,
                                       [observer = std::move(observer)](Qt::ApplicationState state) {
                                           observer(state == Qt::ApplicationActive);
                                       });
    return Subscription([connection] { QObject::disconnect(connection); });
}

void activateApplication() {
    QWidget* target = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->objectName() == "settingsWindow") target = w;
    }
    if (!target) target = QApplication::activeWindow();
    if (!target) return;
    target->raise();
    target->activateWindow();
}

SettingsWindowFactory makeWindowFactory(SettingsViewServices services, Defaults& defaults) {
    return [services = std::move(services), &defaults](const SettingsViewContext& context) {
        auto* view = new SettingsView(services, context);
        return std::make_unique<QtSettingsWindow>(
            view, defaults,
            QSize(static_cast<int>(SettingsWindowController::kContentWidth),
                  static_cast<int>(SettingsWindowController::kContentHeight)),
            QSize(static_cast<int>(SettingsWindowController::kMinimumWidth),
                  static_cast<int>(SettingsWindowController::kMinimumHeight)),
            QString::fromUtf8(SettingsWindowController::kTitle));
    };
}

}  // namespace tessane::settings_qt
