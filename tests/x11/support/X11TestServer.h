#pragma once

#include "support/Waiting.h"

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace tessane::x11test {

using testing::kAnswer;
using testing::kAskAgain;
using testing::keepTurning;
using testing::waitFor;

// A child process with its standard output on a pipe that can be read line by line.
class ChildProcess {
public:
    // Starts `argv` with DISPLAY set to `display` (unless empty). Standard error goes to
    // `stderrPath` (or is dropped when empty); `environment` ("NAME=value") is set in the child.
    // The child dies with us (parent-death signal).
    static std::unique_ptr<ChildProcess> start(const std::vector<std::string>& argv,
                                               const std::string& display,
                                               const std::string& stderrPath = {},
                                               bool pipeStdin = false,
                                               const std::vector<std::string>& environment = {});
    ~ChildProcess();  // terminates it (SIGTERM, then SIGKILL after 2 s)

    pid_t pid() const { return pid_; }
    // The next line of its standard output, without the newline; none on time-out or end.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    // Waits for a line that starts with `prefix`; answers it (other lines are skipped).
    std::optional<std::string> waitForLine(const std::string& prefix, std::chrono::milliseconds timeout);
    // Writes a line to its standard input (when started with pipeStdin).
    bool writeLine(const std::string& line);
    // Waits for the process to end; its exit status, none on time-out.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    void terminate();
    bool running();

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    std::string buffer_;
    std::optional<int> status_;
};

// A private X server (Xvfb with RandR, on a display number the server picks itself) with a window
// manager managing it, for tests that need real windows. Stopped and removed on destruction.
class X11TestServer {
public:
    struct Options {
        int width = 1920;
        int height = 1080;
        bool windowManager = true;
        // Which one: openbox, xfwm4, icewm, fluxbox, metacity, marco, mutter or kwin. Empty: the
        // environment's TESSANE_TEST_WM, else openbox.
        std::string windowManagerName;
        // Openbox focuses every new window by default; off, a new window gets the focus only
        // when someone asks for it (to see whether we did). An Openbox setting: off with another
        // manager is refused.
        bool focusNewWindows = true;
        // Openbox animates a window's minimizing and restoring (150 ms) by default; off, it
        // restores at once. An Openbox setting too.
        bool animateIconify = true;
    };
    // None when it could not be started; `error` says why.
    static std::unique_ptr<X11TestServer> start(const Options& options, std::string* error);
    static std::unique_ptr<X11TestServer> start(std::string* error) { return start(Options{}, error); }
    ~X11TestServer();

    const std::string& display() const { return display_; }
    const std::string& logFolder() const { return folder_; }
    // The running window manager's name (as in Options); empty when there is none.
    const std::string& windowManagerName() const { return windowManagerName_; }

    // Runs a command line tool against this display and waits for it; its exit status (-1 when
    // it could not run or took longer than 10 s).
    int run(const std::vector<std::string>& argv);
    // Kills the X server at once (SIGKILL), as when a session ends under its clients.
    void killServer();
    // Ends the window manager (SIGTERM) and waits until it has gone.
    void stopWindowManager();
    // Sends the window manager `signal` where it stands: SIGSTOP freezes it (it answers nothing),
    // SIGKILL ends it at once, frozen or not (restartWindowManager then starts another).
    void signalWindowManager(int signal);
    // SIGSTOP, and SIGCONT later from another process (a test stopped by the manager's grab can't).
    void stopWindowManagerFor(double seconds);
    // Starts it again as at first; empty when it came up, else why not.
    std::string restartWindowManager();
    // Starts another instance that replaces the running one (`--replace`), and waits until the
    // old one has left and the new one manages windows; empty when so, else why not.
    std::string replaceWindowManager();

private:
    std::string startWindowManager(const Options& options);
    std::string startDrawingWindowManager(const Options& options);

    Options options_;
    std::vector<std::string> managerCommand_;
    std::vector<std::string> managerEnvironment_;

    std::string display_;
    std::string folder_;
    std::string windowManagerName_;
    std::unique_ptr<ChildProcess> server_;
    // A session bus for the managers that want one, and helpers they rely on (KWin's shortcuts).
    std::unique_ptr<ChildProcess> bus_;
    std::unique_ptr<ChildProcess> helper_;
    std::unique_ptr<ChildProcess> windowManager_;
    std::unique_ptr<ChildProcess> resumer_;
};

// A rectangle in root pixels.
struct RootRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// A client's top-level ancestor, the child of the root that holds it (its window manager's
// frame, or the client itself when it is not reparented); none when it is gone.
std::optional<unsigned long> topLevelOf(_XDisplay* display, unsigned long client);
// The window manager's frame around a client as the X server has it (what `xwininfo -frame`
// shows): the client's top-level ancestor, its X border included. The client itself when it is
// not reparented; none when it is gone. `display` is an Xlib Display.
std::optional<RootRect> outerFrame(_XDisplay* display, unsigned long client);
// The frame the user sees: the client widened by the _NET_FRAME_EXTENTS its manager announces.
// Managers that draw client-side-style shadows or grab areas (Metacity, Marco, Mutter) make
// their frame windows wider than that. The outer frame when no extents are announced.
std::optional<RootRect> visibleFrame(_XDisplay* display, unsigned long client);

}  // namespace tessane::x11test
