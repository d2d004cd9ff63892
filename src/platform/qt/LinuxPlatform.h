#pragma once

#include "base/Signal.h"
#include "platform/Platform.h"

#include <functional>
#include <memory>
#include <string>

struct _XDisplay;

namespace tessane {
class LinuxAppCatalog;
}

namespace tessane::linux_backend {
class X11Connection;
class LinuxSystemLog;
class LinuxEnvironment;
}  // namespace tessane::linux_backend

namespace tessane::qt_backend {

// The real desktop: every Linux port, owned here and handed out as a Platform (the counterpart
// of the sim's SimPlatform). Built in three steps, because the log must work before anything
// else and Qt's application object needs the X display the backend found:
//
//   LinuxPlatform linux;                      // system log and environment
//   Log::configure(&linux.systemLog(), &linux.environment());
//   if (!linux.openDisplay(&why)) ...         // no X11 display: nothing else can work
//   QApplication app(argc, argv);
//   linux.start(log);                         // the main queue and every other port
//   Platform platform = linux.platform();
//
// Everything runs on the main thread: the X connection, inotify and logind are read from
// Qt's event loop.
class LinuxPlatform {
public:
    using LogSink = std::function<void(const std::string&)>;

    LinuxPlatform();
    ~LinuxPlatform();
    LinuxPlatform(const LinuxPlatform&) = delete;
    LinuxPlatform& operator=(const LinuxPlatform&) = delete;

    linux_backend::LinuxSystemLog& systemLog();
    linux_backend::LinuxEnvironment& environment();

    // Opens $DISPLAY; false with the reason when it cannot.
    bool openDisplay(std::string* reason);
    // Builds the remaining ports; needs openDisplay() and a Q(Core)Application.
    void start(LogSink log);

    // Takes down what start() built, last first. Call it while the Qt application object still
    // exists: the queue's timers and the socket and bus readers belong to Qt's loop.
    void stop();
    // The ports made so far.
    Platform platform() const;
    // The X server is gone for this process (after start()): its connection or Qt's broke.
    // Told once per connection that breaks, with why; listeners may run inside an Xlib call.
    [[nodiscard]] Subscription onDisplayLost(std::function<void(const std::string& why)> listener);
    bool displayLost() const;
    // The installed applications (after start()), for the application chooser's list.
    const LinuxAppCatalog& appCatalog() const;

private:
    struct Ports;
    std::unique_ptr<Ports> ports_;
};

}  // namespace tessane::qt_backend
