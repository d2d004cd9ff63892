#pragma once

#include "platform/Screens.h"

#include <functional>
#include <memory>
#include <string>

namespace tessane::qt_backend {

// Wake and session notifications from systemd-logind on the system bus:
// - the manager's PrepareForSleep(false) (the machine resumed) -> didWake, then screensDidWake;
// - our session's Unlock signal, or its Active property turning true (back from another
//   user's session) -> sessionDidBecomeActive.
// Our session is the one logind names for our process, else $XDG_SESSION_ID's. Without a
// system bus, without logind or outside any session, one log line says which notifications
// are off and everything else carries on; nothing here ever waits for the bus. Runs on the Qt
// main thread, and tells `notify` there.
class LogindWatcher {
public:
    using Notify = std::function<void(Screens::Notification)>;
    using LogSink = std::function<void(const std::string&)>;

    // `busAddress` empty: the system bus; otherwise a D-Bus address (tests).
    LogindWatcher(Notify notify, LogSink log, const std::string& busAddress = {});
    ~LogindWatcher();
    LogindWatcher(const LogindWatcher&) = delete;
    LogindWatcher& operator=(const LogindWatcher&) = delete;

    // Whether the manager's sleep signal is heard, and whether our session's is.
    bool watchesSleep() const;
    bool watchesSession() const;

private:
    class Receiver;
    std::unique_ptr<Receiver> receiver_;
};

}  // namespace tessane::qt_backend
