#pragma once

#include "platform/linux/x11/X11Connection.h"
#include "x11/support/X11TestServer.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessane::x11test {

using namespace std::chrono_literals;

// The Qt main queue needs an application object; one serves the whole test program.
inline void ensureQtApplication() {
    static int argc = 1;
    static char name[] = "tests_x11";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// One private X server with Openbox per test suite (and so per test when CTest runs each test in
// its own process), and a connection of the backend to it.
class X11TestBase : public ::testing::Test {
protected:
    static void SetUpTestSuite() { startServer({}); }
    // A server that did not start fails each test of the suite with why: a failure here, in the
    // suite's setup, Google Test reports as the suite's tests skipped.
    static void startServer(const X11TestServer::Options& options) {
        std::string error;
        server_ = X11TestServer::start(options, &error).release();
        serverError_ = server_ ? "" : "no private X server: " + error;
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(server_, nullptr) << serverError_;
        x_ = linux_backend::X11Connection::open(server_->display().c_str(),
                                                [this](const std::string& line) { logLines_.push_back(line); });
        ASSERT_NE(x_, nullptr);
        readX_.emplace([this] {
            if (x_) x_->processEvents();
        });
    }
    void TearDown() override {
        clients_.clear();  // closes their windows before the next test
        readX_.reset();
        x_.reset();
    }

    // Starts a test client and waits until its windows are mapped; answers its window ids (the
    // dialog, when asked for, last).
    struct Client {
        std::unique_ptr<ChildProcess> process;
        std::vector<linux_backend::XWindowId> windows;
    };
    Client& startClient(std::vector<std::string> args, bool waitReady = true) {
        args.insert(args.begin(), TESSANE_X11_CLIENT);
        Client c;
        c.process = ChildProcess::start(args, server_->display(), server_->logFolder() + "/clients.log",
                                        /*pipeStdin=*/true);
        EXPECT_NE(c.process, nullptr);
        if (waitReady && c.process) {
            for (;;) {
                // A manager just started on a loaded machine (KWin setting up its compositor on two
                // cores) can take longer than ten seconds to map a first window.
                auto line = c.process->readLine(kAnswer.limit);
                if (!line) {
                    ADD_FAILURE() << "test client did not come up";
                    break;
                }
                if (line->rfind("window ", 0) == 0)
                    c.windows.push_back(std::strtoul(line->c_str() + 7, nullptr, 16));
                if (*line == "ready") break;
            }
        }
        clients_.push_back(std::move(c));
        return clients_.back();
    }

    // The window its manager says is active (_NET_ACTIVE_WINDOW); 0 when none.
    linux_backend::XWindowId activeWindow() {
        const auto active = x_->windowList(x_->root(), "_NET_ACTIVE_WINDOW");
        return active && !active->empty() ? (*active)[0] : 0;
    }

    // The client's visible frame (its window and the extents its manager announces) has its
    // top-left at `origin`, as USPosition asks: some managers (KWin, Xfwm4) map the frame first and
    // move it there after.
    bool placedAt(linux_backend::XWindowId window, Point origin) {
        const auto extents = x_->cardinals(window, "_NET_FRAME_EXTENTS").value_or(std::vector<long>{0, 0, 0, 0});
        const auto g = x_->freshGeometry(window);
        return g && extents.size() == 4 &&
               g->rootRect.origin == Point(origin.x + static_cast<double>(extents[0]), origin.y + static_cast<double>(extents[2]));
    }

    static X11TestServer* server_;
    static std::string serverError_;
    std::unique_ptr<linux_backend::X11Connection> x_;
    std::optional<testing::EachWaitTurn> readX_;  // every wait reads the connection's events
    std::vector<std::string> logLines_;
    std::deque<Client> clients_;
};

inline X11TestServer* X11TestBase::server_ = nullptr;
inline std::string X11TestBase::serverError_;

}  // namespace tessane::x11test
