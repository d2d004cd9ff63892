#pragma once

#include <functional>
#include <memory>
#include <string>

namespace tessane::qt_backend {
class QtMainQueue;
}

namespace tessane::app {

// Every way a Linux desktop ends a program, turned into one quit: SIGTERM, SIGINT and SIGHUP (read
// on the event loop through a pipe, never acted on inside the handler), the X connection closing,
// and the session ending. `quitNow` runs the quit sequence; it is called at most once by these
// edges (the sequence guards itself as well) and it must be safe to call with the X connection
// gone. When the process is ended by exit() (Qt does so when its X connection breaks), the quit
// runs from an exit hook and the process ends there with status 1.
class QuitEdges {
public:
    using Log = std::function<void(const std::string&)>;

    // Watches the signals and the session; the event loop is asked to end after `quitNow` ran.
    QuitEdges(qt_backend::QtMainQueue& queue, std::function<void()> quitNow, Log log);
    ~QuitEdges();
    QuitEdges(const QuitEdges&) = delete;
    QuitEdges& operator=(const QuitEdges&) = delete;

    // The X server went away (a connection of ours or Qt's broke): the quit runs from the loop,
    // and the loop ends.
    void displayLost(const std::string& why);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tessane::app
