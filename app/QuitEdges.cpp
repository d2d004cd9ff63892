#include "QuitEdges.h"

#include "base/Signal.h"
#include "platform/qt/QtMainQueue.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tessane::app {

namespace {

// The write end of the signal pipe; the handler only writes the signal's number into it.
std::atomic<int> signalPipeWrite{-1};

void onSignal(int number) {
    const int saved = errno;
    const int fd = signalPipeWrite.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(number);
        [[maybe_unused]] const auto written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

const char* signalName(int number) {
    switch (number) {
    case SIGTERM: return "SIGTERM";
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}

// What the exit hook reaches: set while the edges live.
std::function<void(const std::string& why)>* quitFromAnywhere = nullptr;

// exit() called while the program runs: Qt's own reaction to its X connection breaking. The quit
// runs now, and the process ends here: what exit() would run next (the destructors of Qt's
// globals while its application object still lives, and of everything that talks to the dead
// server) has nothing left to save and can only crash.
void onExit() {
    if (!quitFromAnywhere) return;
    (*quitFromAnywhere)("the program is ending");
    std::fflush(nullptr);
    std::_Exit(1);
}

}  // namespace

struct QuitEdges::Impl {
    std::function<void()> quitNow;
    qt_backend::QtMainQueue* queue = nullptr;
    Log log;
    bool quit = false;
    int pipe[2] = {-1, -1};
    Subscription pipeWatch;
    std::function<void(const std::string&)> quitBecause;

    void run(const std::string& why) {
        if (quit) return;
        quit = true;
        log("[Tessane] Quitting: " + why + ".");
        quitNow();
        // Work queued before the quit (a long list of windows taken in slices, say) would keep
        // the process alive long after it was asked to end.
        queue->discardPending();
        // exit(), not quit(): quit() first asks every window to close, and the welcome panel
        // refuses closes from outside, which would cancel the quit.
        QCoreApplication::exit(0);
    }
};

QuitEdges::QuitEdges(qt_backend::QtMainQueue& queue, std::function<void()> quitNow, Log log)
    : impl_(std::make_unique<Impl>()) {
    impl_->quitNow = std::move(quitNow);
    impl_->queue = &queue;
    impl_->log = std::move(log);
    impl_->quitBecause = [impl = impl_.get()](const std::string& why) { impl->run(why); };
    quitFromAnywhere = &impl_->quitBecause;

    if (::pipe2(impl_->pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        signalPipeWrite.store(impl_->pipe[1]);
        impl_->pipeWatch = queue.watchReadable(impl_->pipe[0], [impl = impl_.get()] {
            unsigned char number = 0;
            int last = 0;
            while (::read(impl->pipe[0], &number, 1) == 1) last = number;
            if (last) impl->run(std::string("received ") + signalName(last));
        });
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(number, &action, nullptr);
    } else {
        impl_->log("[Tessane] Quit signals not watched: no pipe.");
    }

    // The session is ending: the session manager may end us right after this, so the quit runs now.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(app, &QGuiApplication::commitDataRequest, app,
                         [impl = impl_.get()](QSessionManager&) { impl->run("the session is ending"); },
                         Qt::DirectConnection);
    }
    // Qt ends the process itself when its own X connection breaks.
    static const bool hooked = std::atexit(onExit) == 0;
    (void)hooked;
}

QuitEdges::~QuitEdges() {
    for (int number : {SIGTERM, SIGINT, SIGHUP}) ::signal(number, SIG_DFL);
    signalPipeWrite.store(-1);
    quitFromAnywhere = nullptr;
    impl_->pipeWatch = {};
    for (int fd : impl_->pipe)
        if (fd >= 0) ::close(fd);
}

void QuitEdges::displayLost(const std::string& why) {
    // Heard inside an Xlib call: the quit runs from the loop, with the connection marked broken.
    impl_->queue->post([impl = impl_.get(), why] { impl->run(why); });
}

}  // namespace tessane::app
