#include "platform/qt/LinuxPlatform.h"

#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/apps/LinuxAppCatalog.h"
#include "platform/linux/apps/LinuxApplications.h"
#include "platform/linux/session/LinuxDefaults.h"
#include "platform/linux/session/LinuxEnvironment.h"
#include "platform/linux/session/LinuxFileWatch.h"
#include "platform/linux/x11/LinuxHotKeys.h"
#include "platform/linux/session/LinuxPreferences.h"
#include "platform/linux/apps/LinuxRunningApplications.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/session/LinuxSystemLog.h"
#include "platform/linux/windows/LinuxWindowList.h"
#include "platform/linux/windows/WindowControlPrompt.h"
#include "platform/linux/x11/X11EventMonitors.h"
#include "platform/linux/x11/X11ScreenSpace.h"
#include "platform/linux/x11/X11Connection.h"
#include "platform/linux/x11/X11DesktopModel.h"
#include "platform/qt/DeviceSpace.h"
#include "platform/qt/LogindWatcher.h"
#include "platform/qt/QtAlerts.h"
#include "platform/qt/tray/QtMenus.h"
#include "platform/qt/panels/QtAnimator.h"
#include "platform/qt/QtIconRenderer.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/panels/QtPanels.h"
#include "platform/qt/QtX11Pump.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace tessane::qt_backend {

using namespace linux_backend;

// Declared in the order they are built; destroyed in reverse, so every port goes before what
// it stands on.
struct LinuxPlatform::Ports {
    LinuxSystemLog systemLog;
    LinuxEnvironment environment{/*isApplication=*/true};
    LogSink log;
    std::unique_ptr<X11Connection> x;
    std::unique_ptr<QtMainQueue> mainQueue;
    Subscription xPump;
    std::unique_ptr<LinuxDefaults> defaults;
    std::unique_ptr<LinuxScreens> screens;
    std::unique_ptr<QObject> scaleWatch;  // the toolkit's screens, whose scales the screens port reports
    std::unique_ptr<QObject> baseSizes;   // see BaseSizeAtZero
    std::unique_ptr<LogindWatcher> logind;
    std::unique_ptr<LinuxHotKeys> hotKeys;
    std::unique_ptr<LinuxFileWatch> fileWatch;
    Subscription fileWatchPump;
    std::unique_ptr<LinuxPreferences> preferences;
    std::unique_ptr<LinuxAccessibility> accessibility;
    std::unique_ptr<LinuxAppCatalog> catalog;
    std::unique_ptr<LinuxRunningApplications> running;
    std::unique_ptr<LinuxApplications> applications;
    std::unique_ptr<LinuxWindowList> windowList;
    std::unique_ptr<QtAlerts> alerts;
    std::unique_ptr<WindowControlPrompt> windowControlPrompt;
    std::unique_ptr<X11ScreenSpace> screenSpace;
    std::unique_ptr<X11EventMonitors> eventMonitors;
    std::unique_ptr<QtPanels> panels;
    std::unique_ptr<QtAnimator> animator;
    std::unique_ptr<QtMenus> menus;
};

namespace {

// Everything above the backend works in points, each display at the scale Qt gives our own windows
// there (Xft.dpi, QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS), so that the chrome and our windows
// always agree. A change of a scale, or of the screens as Qt has them, is a change of the displays.
std::unique_ptr<QObject> watchScales(LinuxScreens& screens) {
    screens.setScaleSource([](const Rect& display) {
        const auto scales = screenScales();
        const ScreenScale* s = screenAtRoot(scales, {display.midX(), display.midY()});
        return s ? s->ratio : 1.0;
    });
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app) return nullptr;
    auto watcher = std::make_unique<QObject>();
    QObject* context = watcher.get();
    const auto changed = [&screens] { screens.post(Screens::Notification::screenParametersChanged); };
    const auto watch = [context, changed](QScreen* screen) {
        QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, context, changed);
        QObject::connect(screen, &QScreen::geometryChanged, context, changed);
    };
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
    QObject::connect(app, &QGuiApplication::screenAdded, context, [watch, changed](QScreen* screen) {
        watch(screen);
        changed();
    });
    QObject::connect(app, &QGuiApplication::screenRemoved, context, changed);
    return watcher;
}

// Scaled, the toolkit tells the window manager a base size of -2 x -2 pixels for a window that
// sets none (its "none", -1, times the scale). Fluxbox reads that as 65534 and gives the window
// a frame of 65534 x 65534 pixels that is never drawn. Each window of ours, as it is shown,
// says a base size of 0 (none) instead.
class BaseSizeAtZero final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->isWindow())
            if (QWindow* window = widget->windowHandle(); window && !window->baseSize().isValid())
                window->setBaseSize(QSize(0, 0));
        return false;
    }
};

}  // namespace

LinuxPlatform::LinuxPlatform() : ports_(std::make_unique<Ports>()) {}

LinuxPlatform::~LinuxPlatform() { stop(); }

void LinuxPlatform::stop() {
    Ports& p = *ports_;
    // The readers on the loop go first, then every port in reverse order of building.
    p.fileWatchPump.reset();
    p.xPump.reset();
    if (p.accessibility) {
        p.accessibility->setPrompt(nullptr);
        p.accessibility->setSilencePrompt(nullptr);
    }
    p.windowControlPrompt.reset();
    p.alerts.reset();
    p.menus.reset();
    p.animator.reset();
    p.panels.reset();
    p.eventMonitors.reset();
    p.screenSpace.reset();
    p.windowList.reset();
    p.applications.reset();
    p.running.reset();
    p.catalog.reset();
    p.accessibility.reset();
    p.preferences.reset();
    p.fileWatch.reset();
    p.hotKeys.reset();
    p.logind.reset();
    p.baseSizes.reset();
    p.scaleWatch.reset();
    p.screens.reset();
    p.defaults.reset();
    p.mainQueue.reset();
}

LinuxSystemLog& LinuxPlatform::systemLog() { return ports_->systemLog; }
LinuxEnvironment& LinuxPlatform::environment() { return ports_->environment; }

bool LinuxPlatform::openDisplay(std::string* reason) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        if (reason) *reason = "DISPLAY is not set (Tessane needs an X11 session).";
        return false;
    }
    // Before start() the only thing the connection could say is that it did not open, which
    // the caller reports in its own words.
    ports_->x = X11Connection::open(nullptr, [this](const std::string& line) {
        if (ports_->log) ports_->log(line);
    });
    if (!ports_->x) {
        if (reason) *reason = "cannot open \"" + std::string(display) + "\".";
        return false;
    }
    return true;
}

void LinuxPlatform::start(LogSink log) {
    Ports& p = *ports_;
    p.log = log;
    p.mainQueue = std::make_unique<QtMainQueue>();
    p.xPump = pumpX11Events(*p.mainQueue, *p.x);
    // Qt has put in its own handler of broken connections (which ends the process on the spot);
    // ours marks the connection broken and lets the quit finish.
    X11Connection::routeBrokenConnections();
    // Our panels and windows are made on Qt's connection: the backend knows them as ours.
    if (auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        p.x->addOwnClient(xcb_get_setup(x11->connection())->resource_id_base);
    p.defaults = std::make_unique<LinuxDefaults>(p.environment.configFolder() / "preferences.json", *p.mainQueue, log);
    p.screens = std::make_unique<LinuxScreens>(*p.x, *p.mainQueue, log);
    p.scaleWatch = watchScales(*p.screens);
    if (auto* app = QCoreApplication::instance()) {
        p.baseSizes = std::make_unique<BaseSizeAtZero>();
        app->installEventFilter(p.baseSizes.get());
    }
    p.logind = std::make_unique<LogindWatcher>(
        [screens = p.screens.get()](Screens::Notification n) { screens->deliver(n); }, log);
    p.hotKeys = std::make_unique<LinuxHotKeys>(*p.x, *p.mainQueue, log);
    p.fileWatch = std::make_unique<LinuxFileWatch>();
    if (p.fileWatch->fd() >= 0)
        p.fileWatchPump = p.mainQueue->watchReadable(p.fileWatch->fd(),
                                                     [watch = p.fileWatch.get()] { watch->processReadyEvents(); });
    else if (log)
        log("[Tessane] inotify is unavailable: file watches are off.");
    p.preferences = std::make_unique<LinuxPreferences>();
    p.accessibility = std::make_unique<LinuxAccessibility>(*p.x, *p.screens, *p.mainQueue);
    p.catalog = std::make_unique<LinuxAppCatalog>(LinuxAppCatalog::foldersFor(p.environment), &renderIconPng, log);
    p.running = std::make_unique<LinuxRunningApplications>(*p.x, *p.accessibility, *p.catalog, *p.mainQueue, log,
                                                           p.environment.helpFolder());
    p.applications = std::make_unique<LinuxApplications>(*p.catalog, *p.running);
    // Which desktop entry a window's application has, for every reader of the backend that needs it.
    const auto entryOf = [running = p.running.get()](XWindowId, Pid pid) -> std::optional<std::filesystem::path> {
        const auto app = running->runningApplication(pid);
        return app ? app->bundlePath : std::nullopt;
    };
    p.accessibility->newWindowMenu().setEntryLookup([entryOf](Pid pid) { return entryOf(0, pid); });
    p.accessibility->documents().configure({p.catalog->folders().dataHome, p.catalog->folders().home}, entryOf, log);
    p.windowList = std::make_unique<LinuxWindowList>(*p.x, *p.accessibility);
    p.alerts = std::make_unique<QtAlerts>();
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        p.windowControlPrompt = std::make_unique<WindowControlPrompt>(
            *p.alerts, *p.mainQueue, [running = p.running.get()](const std::string& url) { return running->openURL(url); },
            log);
        p.accessibility->setPrompt([prompt = p.windowControlPrompt.get()](const std::optional<std::string>& departed) {
            prompt->offer(departed);
        });
        p.accessibility->setSilencePrompt(
            [prompt = p.windowControlPrompt.get()](const std::string& manager) { prompt->offerNotAnswering(manager); });
    }
    p.screenSpace = std::make_unique<X11ScreenSpace>(*p.screens);
    p.eventMonitors = std::make_unique<X11EventMonitors>(*p.x, *p.screenSpace, *p.mainQueue, log);
    // Our own windows need the widgets of a QApplication; tools that run without one get none.
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        p.panels = std::make_unique<QtPanels>(*p.screenSpace, *p.x);
        p.animator = std::make_unique<QtAnimator>(*p.panels);
        p.menus = std::make_unique<QtMenus>(*p.screenSpace);
    }
}

const LinuxAppCatalog& LinuxPlatform::appCatalog() const { return *ports_->catalog; }

Subscription LinuxPlatform::onDisplayLost(std::function<void(const std::string&)> listener) {
    auto shared = std::make_shared<std::function<void(const std::string&)>>(std::move(listener));
    auto own = std::make_shared<Subscription>(
        ports_->x->onBroken([shared] { (*shared)("the X connection closed"); }));
    auto other = std::make_shared<Subscription>(X11Connection::onOtherConnectionBroken(
        [shared](const std::string& why) { (*shared)(why); }));
    return Subscription([own, other] {
        own->reset();
        other->reset();
    });
}

bool LinuxPlatform::displayLost() const {
    if (ports_->x && ports_->x->probeBroken()) return true;
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 && xcb_connection_has_error(x11->connection()) != 0;
}

Platform LinuxPlatform::platform() const {
    const Ports& p = *ports_;
    Platform out;
    out.mainQueue = p.mainQueue.get();
    out.systemLog = &ports_->systemLog;
    out.environment = &ports_->environment;
    out.defaults = p.defaults.get();
    out.screens = p.screens.get();
    out.hotKeys = p.hotKeys.get();
    out.fileWatch = p.fileWatch.get();
    out.preferences = p.preferences.get();
    out.accessibility = p.accessibility.get();
    out.applications = p.applications.get();
    out.windowList = p.windowList.get();
    out.alerts = p.alerts.get();
    out.panels = p.panels.get();
    out.animator = p.animator.get();
    out.eventMonitors = p.eventMonitors.get();
    out.menus = p.menus.get();
    return out;
}

}  // namespace tessane::qt_backend
