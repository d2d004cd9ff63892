// A session ending around the program: the display manager sends SIGTERM to its clients and the X
// server goes away at the same moment. Whatever the quit finds left of the server, the program
// ends with a status, never by a signal, and what it hid stays owed in the ledger.
#include "EndToEndTest.h"

#include <X11/Xutil.h>  // the ICCCM window states

#include <csignal>

namespace tessane::e2e {
namespace {

class SessionEndTest : public EndToEndTest {
protected:
    // Each round needs a server of its own: the last one was killed. The window manager starts
    // outside the private home, as the first one did.
    void freshDesktop() {
        clients_.clear();
        x_.reset();
        home_.reset();
        delete server_;
        std::string error;
        server_ = X11TestServer::start(&error).release();
        ASSERT_NE(server_, nullptr) << error;
        x_ = linux_backend::X11Connection::open(server_->display().c_str());
        ASSERT_NE(x_, nullptr);
        home_ = std::make_unique<PrivateHome>(TESSANE_X11_CLIENT);
        runs_ = 0;
    }
};

TEST_F(SessionEndTest, TheServerGoingWithTheQuitEndsTheProgramWithAStatusAndKeepsTheLedger) {
    // The race lands differently each time: the quit may find the server there, half gone, or gone.
    // It is the program's and the X server's, the same under every manager. A round costs a new
    // server and manager: about a second with Openbox, IceWM or Fluxbox, half again to twice that
    // with the others, for their own sake (KWin's start-up, Mutter's map and minimize effects):
    // fewer rounds there.
    const std::string manager = server_->windowManagerName();
    const bool quickManager = manager == "openbox" || manager == "icewm" || manager == "fluxbox";
    const int rounds = quickManager ? 20 : 6;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        if (round > 0) {
            ASSERT_NO_FATAL_FAILURE(freshDesktop());
        }
        ASSERT_NO_FATAL_FAILURE(startWithPair());
        ASSERT_NO_FATAL_FAILURE(showPair());
        press("super+alt+h");
        ASSERT_TRUE(waitForState({alpha_, beta_}, IconicState)) << log();
        ASSERT_TRUE(waitFor([&] { return hiddenLedger().size() == 2; })) << preferences().dump();

        ::kill(tessane_->pid(), SIGTERM);
        server_->killServer();
        const auto status = tessane_->wait(kAnswer.limit);
        tessane_.reset();
        ASSERT_TRUE(status.has_value()) << "still running without its server\n" << log();
        EXPECT_LT(*status, 128) << "ended by signal " << *status - 128 << "\n" << log();
        EXPECT_EQ(hiddenLedger().size(), 2u) << preferences().dump();
    }
}

}  // namespace
}  // namespace tessane::e2e
