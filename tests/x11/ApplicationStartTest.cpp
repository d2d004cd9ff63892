#include "x11/X11TestBase.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tessane::x11test {
namespace {

class ApplicationStartTest : public X11TestBase {
protected:
    // Runs the application on `display` with a private home; its exit status and its log.
    std::pair<std::optional<int>, std::string> run(const std::string& display) {
        static int runs = 0;
        const std::string log = server_->logFolder() + "/tessane-" + std::to_string(++runs) + ".log";
        const std::string home = server_->logFolder() + "/home";
        std::filesystem::create_directories(home);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tessane-no-bus", 1);
        setenv("XDG_RUNTIME_DIR", (home + "/run").c_str(), 1);
        std::filesystem::create_directories(home + "/run");
        std::filesystem::permissions(home + "/run", std::filesystem::perms::owner_all);
        // Its own temporary folder too: a Tessane locks <temporary folder>/tessane-<uid> where that exists.
        setenv("TMPDIR", (home + "/tmp").c_str(), 1);
        std::filesystem::create_directories(home + "/tmp");
        auto read = [&] {
            std::ifstream in(log);
            std::stringstream text;
            text << in.rdbuf();
            return text.str();
        };
        auto process = ChildProcess::start({TESSANE_APP}, display, log);
        if (!process) return {std::nullopt, ""};
        // It runs until it is told to quit: once start-up is over, SIGTERM.
        waitFor([&] { return !process->running() || read().find("[Tessane][AX] launch:") != std::string::npos; });
        if (process->running()) ::kill(process->pid(), SIGTERM);
        auto status = process->wait(kAnswer.limit);
        return {status, read()};
    }
};

TEST_F(ApplicationStartTest, StartsOnTheDisplayLogsItsLinesAndEndsOnSigterm) {
    auto [status, log] = run(server_->display());
    EXPECT_EQ(status, 0) << log;
    EXPECT_NE(log.find("[Tessane] starting Tessane "), std::string::npos) << log;
    EXPECT_NE(log.find("[Tessane][AX] launch: trusted=true"), std::string::npos) << log;
    EXPECT_NE(log.find("[Tessane] no system bus ("), std::string::npos) << log;
    EXPECT_NE(log.find("[Tessane] Quitting: received SIGTERM."), std::string::npos) << log;
}

TEST_F(ApplicationStartTest, WithoutADisplayItSaysSoAndFails) {
    auto [status, log] = run(":4095");
    EXPECT_EQ(status, 1) << log;
    EXPECT_NE(log.find("[Tessane] no X11 display: cannot open \":4095\"."), std::string::npos) << log;
    EXPECT_EQ(log.find("starting"), std::string::npos);
}

}  // namespace
}  // namespace tessane::x11test
