#include "platform/qt/LogindWatcher.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QObject>
#include <QVariantMap>

#include <atomic>
#include <cstdlib>
#include <unistd.h>

namespace tessane::qt_backend {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

}  // namespace

// The QObject that D-Bus signals are delivered to (they need slots).
class LogindWatcher::Receiver : public QObject {
    Q_OBJECT
public:
    Receiver(Notify notify, LogSink log, const std::string& busAddress)
        : notify_(std::move(notify)), log_(std::move(log)), bus_(openBus(busAddress)) {
        if (!bus_.isConnected()) {
            say("[Tessane] no system bus (" + bus_.lastError().message().toStdString() +
                "): wake and session notifications are off.");
            return;
        }
        auto* daemon = bus_.interface();
        if (!daemon || !daemon->isServiceRegistered(kService).value()) {
            say("[Tessane] systemd-logind is not on the system bus: wake and session notifications are off.");
            return;
        }
        sleep_ = bus_.connect(kService, kManagerPath, kManager, QStringLiteral("PrepareForSleep"), this,
                              SLOT(prepareForSleep(bool)));
        findSession(QStringLiteral("GetSessionByPID"), QVariant::fromValue(static_cast<uint>(::getpid())));
    }

    ~Receiver() override {
        if (!ownConnection_.isEmpty()) QDBusConnection::disconnectFromBus(ownConnection_);
    }

    bool sleep_ = false;
    bool session_ = false;

public slots:
    void prepareForSleep(bool start) {
        if (start) return;
        notify_(Screens::Notification::didWake);
        notify_(Screens::Notification::screensDidWake);
    }
    void unlock() { notify_(Screens::Notification::sessionDidBecomeActive); }
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated) {
        if (interface != kSession) return;
        if (changed.contains(QStringLiteral("Active"))) activeIs(changed.value(QStringLiteral("Active")).toBool());
        else if (invalidated.contains(QStringLiteral("Active"))) readActive();
    }

private:
    QDBusConnection openBus(const std::string& address) {
        if (address.empty()) return QDBusConnection::systemBus();
        static std::atomic<int> count{0};
        ownConnection_ = QStringLiteral("tessane-logind-%1").arg(++count);
        return QDBusConnection::connectToBus(QString::fromStdString(address), ownConnection_);
    }

    void say(const std::string& line) {
        if (log_) log_(line);
    }

    // Asks the manager for our session (by our pid first, then by $XDG_SESSION_ID), without
    // waiting for the answer.
    void findSession(const QString& method, const QVariant& argument) {
        auto call = QDBusMessage::createMethodCall(kService, kManagerPath, kManager, method);
        call << argument;
        auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, method](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            QDBusPendingReply<QDBusObjectPath> reply = *w;
            if (!reply.isError()) {
                watchSession(reply.value().path());
                return;
            }
            const char* id = std::getenv("XDG_SESSION_ID");
            if (method == QStringLiteral("GetSessionByPID") && id && *id) {
                findSession(QStringLiteral("GetSession"), QString::fromUtf8(id));
                return;
            }
            say("[Tessane] not in a logind session (" + reply.error().message().toStdString() +
                "): session notifications are off.");
        });
    }

    void watchSession(const QString& path) {
        sessionPath_ = path;
        const bool unlock = bus_.connect(kService, path, kSession, QStringLiteral("Unlock"), this, SLOT(unlock()));
        const bool properties = bus_.connect(kService, path, kProperties, QStringLiteral("PropertiesChanged"), this,
                                             SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        session_ = unlock && properties;
        readActive();
    }

    void readActive() {
        auto call = QDBusMessage::createMethodCall(kService, sessionPath_, kProperties, QStringLiteral("Get"));
        call << kSession << QStringLiteral("Active");
        auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            QDBusPendingReply<QDBusVariant> reply = *w;
            if (!reply.isError()) activeIs(reply.value().variant().toBool());
        });
    }

    // Only a change from inactive to active is news; the first reading is the baseline.
    void activeIs(bool active) {
        const bool wasInactive = known_ && !active_;
        known_ = true;
        active_ = active;
        if (active && wasInactive) notify_(Screens::Notification::sessionDidBecomeActive);
    }

    Notify notify_;
    LogSink log_;
    QString ownConnection_;
    QDBusConnection bus_;
    QString sessionPath_;
    bool known_ = false;
    bool active_ = false;
};

LogindWatcher::LogindWatcher(Notify notify, LogSink log, const std::string& busAddress)
    : receiver_(std::make_unique<Receiver>(std::move(notify), std::move(log), busAddress)) {}

LogindWatcher::~LogindWatcher() = default;

bool LogindWatcher::watchesSleep() const { return receiver_->sleep_; }
bool LogindWatcher::watchesSession() const { return receiver_->session_; }

}  // namespace tessane::qt_backend

#include "LogindWatcher.moc"
