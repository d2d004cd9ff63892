#include "platform/qt/LogindWatcher.h"
#include "support/Waiting.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessane::qt_backend {
namespace {

using N = Screens::Notification;

class LogindWatcherTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }
    std::vector<N> heard;
    std::vector<std::string> logged;
    LogindWatcher::Notify notify = [this](N n) { heard.push_back(n); };
    LogindWatcher::LogSink log = [this](const std::string& l) { logged.push_back(l); };
};

TEST_F(LogindWatcherTest, WithoutABusItSaysSoOnceAndCarriesOn) {
    LogindWatcher watcher(notify, log, "unix:path=/nonexistent/tessane-no-bus");
    EXPECT_FALSE(watcher.watchesSleep());
    EXPECT_FALSE(watcher.watchesSession());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].rfind("[Tessane] no system bus (", 0), 0u) << logged[0];
    EXPECT_NE(logged[0].find("wake and session notifications are off."), std::string::npos);
    EXPECT_TRUE(heard.empty());
}

// A stand-in for logind on a private bus: names a session for every process, which starts
// inactive.
class FakeLogind : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() == QLatin1String("GetSessionByPID")) {
            connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(kSessionPath))));
            return true;
        }
        if (message.member() == QLatin1String("Get")) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(false))));
            ++readings;
            return true;
        }
        return false;
    }
    static inline const QString kSessionPath = QStringLiteral("/org/freedesktop/login1/session/_31");
    int readings = 0;  // of the session's state, answered
};

TEST_F(LogindWatcherTest, ResumeUnlockAndAnActivatedSessionAreTold) {
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) GTEST_SKIP() << "no dbus-daemon";
    QProcess bus;
    bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                       QStringLiteral("--address=unix:tmpdir=/tmp")});
    ASSERT_TRUE(bus.waitForReadyRead(5000));
    const std::string address = bus.readLine().trimmed().toStdString();

    auto logind = QDBusConnection::connectToBus(QString::fromStdString(address), QStringLiteral("fake-logind"));
    ASSERT_TRUE(logind.isConnected());
    FakeLogind fake;
    ASSERT_TRUE(logind.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &fake,
                                             QDBusConnection::SubPath));
    ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));
    {
        LogindWatcher watcher(notify, log, address);
        EXPECT_TRUE(watcher.watchesSleep());
        ASSERT_TRUE(testing::waitFor([&] { return watcher.watchesSession(); }));
        // The session's first reading answered: the bus hands the watcher what this connection
        // sends later after it.
        ASSERT_TRUE(testing::waitFor([&] { return fake.readings > 0; }));

        auto signal = [&](const QString& path, const QString& interface, const QString& name, QVariantList args) {
            auto m = QDBusMessage::createSignal(path, interface, name);
            m.setArguments(args);
            logind.send(m);
        };
        signal("/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep", {true});
        signal("/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep", {false});
        ASSERT_TRUE(testing::waitFor([&] { return heard.size() >= 2; }));
        EXPECT_EQ(heard, (std::vector{N::didWake, N::screensDidWake}));  // going to sleep is not news

        heard.clear();
        signal(FakeLogind::kSessionPath, "org.freedesktop.login1.Session", "Unlock", {});
        signal(FakeLogind::kSessionPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
               {QStringLiteral("org.freedesktop.login1.Session"), QVariantMap{{"Active", true}}, QStringList{}});
        signal(FakeLogind::kSessionPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
               {QStringLiteral("org.freedesktop.login1.Session"), QVariantMap{{"Active", true}}, QStringList{}});
        // A wake after them, heard once they have been handled.
        signal("/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep", {false});
        ASSERT_TRUE(testing::waitFor([&] { return !heard.empty() && heard.back() == N::screensDidWake; }));
        // Unlock, then inactive -> active once; still active is no news.
        EXPECT_EQ(heard, (std::vector{N::sessionDidBecomeActive, N::sessionDidBecomeActive, N::didWake,
                                      N::screensDidWake}));
        EXPECT_TRUE(logged.empty());
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-logind"));
    bus.terminate();
    bus.waitForFinished(2000);
}

}  // namespace
}  // namespace tessane::qt_backend
