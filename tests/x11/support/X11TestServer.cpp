#include "x11/support/X11TestServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace tessane::x11test {

using namespace std::chrono;

namespace {

int64_t millisecondsLeft(steady_clock::time_point deadline) {
    return duration_cast<milliseconds>(deadline - steady_clock::now()).count();
}

bool hasListedClient(Display* display, Window window) {
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display),
                       XInternAtom(display, "_NET_CLIENT_LIST", False), 0, 4096, False, AnyPropertyType,
                       &type, &format, &count, &after, &data);
    bool found = false;
    if (data && format == 32) {
        auto* ids = reinterpret_cast<unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i) found = found || ids[i] == window;
    }
    if (data) XFree(data);
    return found;
}

bool hasRootProperty(Display* display, const char* name) {
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, name, False), 0, 1, False,
                       AnyPropertyType, &type, &format, &count, &after, &data);
    if (data) XFree(data);
    return type != None;
}

// The window manager owns the ICCCM selection (or at least announces itself on the root) before it
// has finished starting, and a window mapped in between may be left unmanaged. So after that a probe
// window is mapped (again, while nothing happens) until the manager lists it as a client.
bool announcesItself(Display* display) {
    if (XGetSelectionOwner(display, XInternAtom(display, "WM_S0", False)) != None) return true;
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display),
                       XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False, XA_WINDOW,
                       &type, &format, &count, &after, &data);
    const bool set = data && count == 1;
    if (data) XFree(data);
    return set;
}

// `announced`: waits first for the manager to announce itself on the root (which a manager
// that replaced Mutter may find deleted by its predecessor).
bool waitUntilManaging(Display* display, ChildProcess& manager, bool announced = true) {
    if (announced &&
        (!waitFor([&] { return announcesItself(display) || !manager.running(); }) ||
         !manager.running()))
        return false;
    // A probe window, mapped again now and then: a manager still starting up may drop its map.
    Window probe = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    auto mapped = steady_clock::time_point{};
    const bool managed = waitFor([&] {
        if (!manager.running()) return true;
        if (mapped != steady_clock::time_point{} && hasListedClient(display, probe)) return true;
        if (steady_clock::now() - mapped > milliseconds(300)) {
            XUnmapWindow(display, probe);
            XMapWindow(display, probe);
            XSync(display, False);
            mapped = steady_clock::now();
        }
        return false;
    }) && manager.running();
    XDestroyWindow(display, probe);
    XSync(display, False);
    return managed;
}

// Whether a compositing manager draws: the screen's middle is no longer the black the server
// starts with, the manager having drawn its background (true too when nothing composites). Read,
// not provoked: a window mapped for the purpose left Mutter deaf to the damage of every window
// drawn after it, its own and a tray's.
bool compositorDraws(Display* display) {
    const Window root = DefaultRootWindow(display);
    const Atom selection = XInternAtom(display, ("_NET_WM_CM_S" + std::to_string(DefaultScreen(display))).c_str(), False);
    if (!waitFor([&] { return XGetSelectionOwner(display, selection) != None; }, testing::kMaybeNever)) return true;
    const int x = DisplayWidth(display, DefaultScreen(display)) / 2, y = DisplayHeight(display, DefaultScreen(display)) / 2;
    return waitFor([&] {
        XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return false;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel != 0;
    }, testing::kMaybeNever);
}

struct ManagerLaunch {
    std::vector<std::string> command;
    bool sessionBus = false;           // settings and shortcuts over D-Bus
    std::vector<std::string> helper;   // started first, on the same display and bus
    bool workAreaLate = false;         // announces its work area only after taking in windows
    bool compositesLate = false;       // starts its own compositor a while after managing
};

std::optional<ManagerLaunch> launchFor(const std::string& name) {
    if (name == "openbox") return ManagerLaunch{{"openbox", "--sm-disable"}};
    if (name == "xfwm4") return ManagerLaunch{{"xfwm4", "--compositor=off", "--sm-client-disable"}, true};
    if (name == "icewm") return ManagerLaunch{{"icewm"}, false, {}, true};
    if (name == "fluxbox") return ManagerLaunch{{"fluxbox"}};
    if (name == "metacity") return ManagerLaunch{{"metacity", "--replace", "--sm-disable"}, true};
    if (name == "marco") return ManagerLaunch{{"marco", "--replace", "--sm-disable"}, true};
    if (name == "mutter") return ManagerLaunch{{"mutter", "--replace", "--x11", "--sm-disable"}, true};
    if (name == "kwin") return ManagerLaunch{{"kwin_x11", "--replace"}, true, {"kglobalaccel5"}, false, true};
    return std::nullopt;
}

// Fluxbox's settings in `home`, made for tests.
void writeFluxboxSettings(const std::string& home) {
    // Its style's wallpaper is set by a helper that, without a wallpaper tool, puts up an
    // xmessage window over the desktop which takes the focus. It runs at every start
    // whatever the style says; told of a tool that does nothing, it stays quiet.
    std::filesystem::create_directories(home + "/.fluxbox");
    std::ofstream(home + "/.fluxbox/overlay") << "background: none\n";
    std::ofstream(home + "/.fluxbox/lastwallpaper") << "wpsetters true\n";
    // Its toolbar without the system tray it has by default: the tests bring a tray of their
    // own when they want one, and some look at how things go while there is none. Everything
    // else as the system's settings have it (a settings file of our own replaces them).
    std::ifstream systemInit("/etc/X11/fluxbox/init");
    std::ofstream init(home + "/.fluxbox/init");
    const std::string tools = "session.screen0.toolbar.tools:";
    bool toolsSet = false;
    for (std::string line; std::getline(systemInit, line);) {
        if (line.rfind(tools, 0) == 0) {
            for (const std::string tray : {", systemtray", "systemtray, ", "systemtray"})
                if (const auto at = line.find(tray); at != std::string::npos) line.erase(at, tray.size());
            toolsSet = true;
        }
        init << line << "\n";
    }
    if (!toolsSet) init << tools << " prevworkspace, workspacename, nextworkspace, clock, iconbar\n";
}

// A home of its own for manager `name` in `folder`, so that neither the user's settings nor those
// of an earlier run change what it does, and what it writes stays with this server.
std::string makeManagerHome(const std::string& folder, const std::string& name) {
    const std::string home = folder + "/wm-home";
    std::filesystem::create_directories(home);
    if (name == "fluxbox") writeFluxboxSettings(home);
    if (name == "icewm") {
        // Its task bar without its system tray, as Fluxbox's toolbar.
        std::filesystem::create_directories(home + "/.icewm");
        std::ofstream(home + "/.icewm/preferences") << "TaskBarEnableSystemTray=0\n";
    }
    return home;
}

// Openbox's system settings with the options' settings that are off turned off, as `file`;
// empty when written, else why not.
std::string writeOpenboxSettings(const X11TestServer::Options& options, const std::string& file) {
    std::ifstream in("/etc/xdg/openbox/rc.xml");
    std::stringstream text;
    text << in.rdbuf();
    std::string rc = text.str();
    for (const auto& [setting, on] : {std::pair{"focusNew", options.focusNewWindows},
                                      std::pair{"animateIconify", options.animateIconify}}) {
        if (on) continue;
        const std::string yes = "<" + std::string(setting) + ">yes</" + setting + ">";
        if (auto at = rc.find(yes); at != std::string::npos)
            rc.replace(at, yes.size(), "<" + std::string(setting) + ">no</" + setting + ">");
        else
            return "cannot find Openbox's " + std::string(setting) + " setting in /etc/xdg/openbox/rc.xml";
    }
    std::ofstream(file) << rc;
    return {};
}

// Whether the manager came up on `display`: it manages, and what it takes up late is there.
bool cameUp(Display* display, ChildProcess& manager, const ManagerLaunch& launch) {
    bool ready = waitUntilManaging(display, manager);
    // IceWM reserves its task bar's strip a moment later: tests start from the desktop it settles on.
    if (ready && launch.workAreaLate)
        ready = waitFor([&] { return hasRootProperty(display, "_NET_WORKAREA"); }, testing::kMaybeNever);
    // KWin takes up compositing a while after it manages (seconds under load): our panels are made
    // for a compositor or for none, and one that comes mid-test has them all made again. Tests
    // start once it composites; where it can't here, the bound ends the wait and they run without.
    // Told not to composite (KWIN_COMPOSE=N), it is not waited for.
    const char* compose = std::getenv("KWIN_COMPOSE");
    if (ready && launch.compositesLate && !(compose && std::string(compose) == "N")) {
        const Atom selection = XInternAtom(display, ("_NET_WM_CM_S" + std::to_string(DefaultScreen(display))).c_str(), False);
        waitFor([&] { return XGetSelectionOwner(display, selection) != None; }, testing::kMaybeNever);
    }
    return ready;
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const std::vector<std::string>& argv,
                                                  const std::string& display,
                                                  const std::string& stderrPath, bool pipeStdin,
                                                  const std::vector<std::string>& environment) {
    int out[2], in[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0) return nullptr;
    if (pipeStdin && pipe2(in, O_CLOEXEC) != 0) return nullptr;
    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid < 0) return nullptr;
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        dup2(out[1], STDOUT_FILENO);
        if (pipeStdin) dup2(in[0], STDIN_FILENO);
        else {
            int devnull = open("/dev/null", O_RDONLY);
            dup2(devnull, STDIN_FILENO);
            if (devnull > STDERR_FILENO) close(devnull);
        }
        int err = open(stderrPath.empty() ? "/dev/null" : stderrPath.c_str(),
                       O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (err >= 0) dup2(err, STDERR_FILENO);
        if (err > STDERR_FILENO) close(err);
        if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
        for (const auto& entry : environment) {
            const auto eq = entry.find('=');
            if (eq != std::string::npos) setenv(entry.substr(0, eq).c_str(), entry.substr(eq + 1).c_str(), 1);
        }
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    if (pipeStdin) close(in[0]);
    auto child = std::unique_ptr<ChildProcess>(new ChildProcess());
    child->pid_ = pid;
    child->out_ = out[0];
    child->in_ = pipeStdin ? in[1] : -1;
    return child;
}

ChildProcess::~ChildProcess() {
    terminate();
    if (out_ >= 0) close(out_);
    if (in_ >= 0) close(in_);
}

bool ChildProcess::running() {
    if (status_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    return true;
}

void ChildProcess::terminate() {
    if (pid_ <= 0 || !running()) return;
    kill(pid_, SIGTERM);
    if (!wait(milliseconds(2000))) {
        kill(pid_, SIGKILL);
        wait(milliseconds(2000));
    }
}

std::optional<int> ChildProcess::wait(milliseconds timeout) {
    auto deadline = steady_clock::now() + timeout;
    while (running()) {
        if (steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(milliseconds(5));
    }
    return status_;
}

std::optional<std::string> ChildProcess::readLine(milliseconds timeout) {
    auto deadline = steady_clock::now() + timeout;
    for (;;) {
        if (auto nl = buffer_.find('\n'); nl != std::string::npos) {
            std::string line = buffer_.substr(0, nl);
            buffer_.erase(0, nl + 1);
            return line;
        }
        int64_t left = millisecondsLeft(deadline);
        if (left <= 0) return std::nullopt;
        pollfd p{out_, POLLIN, 0};
        int r = poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return std::nullopt;
        char chunk[512];
        ssize_t n = read(out_, chunk, sizeof chunk);
        if (n <= 0) return std::nullopt;  // end of output
        buffer_.append(chunk, static_cast<size_t>(n));
    }
}

std::optional<std::string> ChildProcess::waitForLine(const std::string& prefix, milliseconds timeout) {
    auto deadline = steady_clock::now() + timeout;
    while (millisecondsLeft(deadline) > 0) {
        auto line = readLine(milliseconds(millisecondsLeft(deadline)));
        if (!line) return std::nullopt;
        if (line->rfind(prefix, 0) == 0) return line;
    }
    return std::nullopt;
}

bool ChildProcess::writeLine(const std::string& line) {
    if (in_ < 0) return false;
    std::string data = line + "\n";
    return ::write(in_, data.data(), data.size()) == static_cast<ssize_t>(data.size());
}

std::unique_ptr<X11TestServer> X11TestServer::start(const Options& options, std::string* error) {
    auto fail = [error](const std::string& why) -> std::unique_ptr<X11TestServer> {
        if (error) *error = why;
        return nullptr;
    };
    char folderTemplate[] = "/tmp/tessane-x11-XXXXXX";
    if (!mkdtemp(folderTemplate)) return fail("cannot make a temporary folder");
    auto server = std::unique_ptr<X11TestServer>(new X11TestServer());
    server->folder_ = folderTemplate;

    // -displayfd: the server picks a free display number itself and writes it to our pipe once
    // it accepts connections, so parallel test processes never race for one.
    const std::string geometry = std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
    server->server_ = ChildProcess::start({"Xvfb", "-displayfd", "1", "-screen", "0", geometry,
                                           "-nolisten", "tcp", "-noreset", "+extension", "RANDR"},
                                          "", server->folder_ + "/xvfb.log");
    if (!server->server_) return fail("cannot start Xvfb");
    auto number = server->server_->readLine(milliseconds(15000));
    if (!number || number->empty())
        return fail("Xvfb did not report a display (is it installed? see " + server->folder_ + "/xvfb.log)");
    server->display_ = ":" + *number;

    if (options.windowManager) {
        if (auto why = server->startDrawingWindowManager(options); !why.empty()) return fail(why);
    }
    return server;
}

// Mutter 43 (drawing with Mesa's software renderer) beside a busy loop on every core: in a
// quarter of the starts where a test mapped its first window and read the screen at once, Mutter
// drew nothing, ever (for two minutes, its main loop asleep with no timer). Handed over once it
// has drawn its background, it drew in every start tried.
std::string X11TestServer::startDrawingWindowManager(const Options& options) {
    if (auto why = startWindowManager(options); !why.empty() || windowManagerName_ != "mutter") return why;
    Display* display = XOpenDisplay(display_.c_str());
    if (!display) return "cannot connect to " + display_;
    const bool drawing = compositorDraws(display);
    XCloseDisplay(display);
    return drawing ? std::string() : "mutter drew nothing 10 s after it started (see " + folder_ + "/mutter.log)";
}

std::string X11TestServer::startWindowManager(const Options& options) {
    options_ = options;
    std::string name = options.windowManagerName;
    if (const char* chosen = std::getenv("TESSANE_TEST_WM"); name.empty() && chosen) name = chosen;
    if (name.empty()) name = "openbox";
    auto launch = launchFor(name);
    if (!launch) return "unknown window manager \"" + name + "\"";
    if (!options.focusNewWindows && name != "openbox")
        return "new windows unfocused is an Openbox setting, not " + name + "'s";
    if (!options.animateIconify && name != "openbox")
        return "restoring without animation is an Openbox setting, not " + name + "'s";

    const std::string home = makeManagerHome(folder_, name);
    // The system's themes and settings, even when started again under a test's private folders.
    std::vector<std::string> environment = {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
                                            "XDG_CACHE_HOME=" + home + "/.cache",
                                            "XDG_DATA_HOME=" + home + "/.local/share",
                                            "XDG_DATA_DIRS=/usr/local/share/:/usr/share/"};
    if (launch->sessionBus) {
        bus_ = ChildProcess::start({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, "",
                                   folder_ + "/dbus.log");
        auto address = bus_ ? bus_->readLine(milliseconds(15000)) : std::nullopt;
        if (!address || address->empty()) return "cannot start a session bus (see " + folder_ + "/dbus.log)";
        environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + *address);
    }
    if (!launch->helper.empty()) {
        helper_ = ChildProcess::start(launch->helper, display_, folder_ + "/" + launch->helper[0] + ".log",
                                      false, environment);
        if (!helper_) return "cannot start " + launch->helper[0];
    }
    if (name == "openbox" && (!options.focusNewWindows || !options.animateIconify)) {
        const std::string file = folder_ + "/rc.xml";
        if (auto why = writeOpenboxSettings(options, file); !why.empty()) return why;
        launch->command.insert(launch->command.end(), {"--config-file", file});
    }
    const std::string log = folder_ + "/" + name + ".log";
    managerCommand_ = launch->command;
    managerEnvironment_ = environment;
    windowManager_ = ChildProcess::start(launch->command, display_, log, false, environment);
    if (!windowManager_) return "cannot start " + name;
    Display* display = XOpenDisplay(display_.c_str());
    if (!display) return "cannot connect to " + display_;
    const bool ready = cameUp(display, *windowManager_, *launch);
    XCloseDisplay(display);
    if (!ready) {
        const auto status = windowManager_->running() ? std::nullopt : windowManager_->wait(milliseconds(0));
        return name + " did not come up" + (status ? " (it ended with " + std::to_string(*status) + ")" : "") +
               " (see " + log + ")";
    }
    windowManagerName_ = name;
    return {};
}

X11TestServer::~X11TestServer() {
    windowManager_.reset();
    helper_.reset();
    bus_.reset();
    server_.reset();
    std::error_code ignored;
    if (!folder_.empty() && !std::getenv("TESSANE_KEEP_X11_LOGS"))
        std::filesystem::remove_all(folder_, ignored);
}

void X11TestServer::killServer() {
    if (server_) kill(server_->pid(), SIGKILL);
    // The window manager goes with it, at once: KWin, finding its server gone, starts itself again a
    // second later, on the same display, and took over the next server given that display number
    // (the lowest free one), leaving the windows mapped meanwhile unmanaged and the program with a
    // manager that had gone. Killed now, it goes before it hears of it (and after the server, so
    // that no client sees the manager go first).
    if (windowManager_) kill(windowManager_->pid(), SIGKILL);
}

void X11TestServer::stopWindowManager() {
    windowManager_.reset();
    helper_.reset();
    bus_.reset();
    windowManagerName_.clear();
}

void X11TestServer::signalWindowManager(int signal) {
    if (windowManager_) kill(windowManager_->pid(), signal);
}

void X11TestServer::stopWindowManagerFor(double seconds) {
    if (!windowManager_) return;
    const std::string pid = std::to_string(windowManager_->pid());
    resumer_ = ChildProcess::start({"sh", "-c", "sleep " + std::to_string(seconds) + "; kill -CONT " + pid}, "");
    kill(windowManager_->pid(), SIGSTOP);
}

std::string X11TestServer::restartWindowManager() {
    stopWindowManager();
    return startDrawingWindowManager(options_);
}

std::string X11TestServer::replaceWindowManager() {
    if (!windowManager_) return "no window manager to replace";
    if (windowManagerName_ == "fluxbox") return "Fluxbox cannot replace a running manager";
    std::vector<std::string> command = managerCommand_;
    if (std::find(command.begin(), command.end(), "--replace") == command.end()) command.push_back("--replace");
    auto previous = std::move(windowManager_);
    const std::string log = folder_ + "/" + windowManagerName_ + "-replacing.log";
    windowManager_ = ChildProcess::start(command, display_, log, false, managerEnvironment_);
    if (!windowManager_) return "cannot start " + command.front();
    if (!previous->wait(milliseconds(30000))) return "the manager replaced did not leave";
    Display* display = XOpenDisplay(display_.c_str());
    if (!display) return "cannot connect to " + display_;
    const bool ready = waitUntilManaging(display, *windowManager_, false);
    XCloseDisplay(display);
    return ready ? std::string() : "the replacing manager did not come up (see " + log + ")";
}

int X11TestServer::run(const std::vector<std::string>& argv) {
    auto child = ChildProcess::start(argv, display_, folder_ + "/tools.log");
    if (!child) return -1;
    auto status = child->wait(milliseconds(10000));
    return status.value_or(-1);
}

std::optional<unsigned long> topLevelOf(Display* display, unsigned long client) {
    Window w = client;
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, w, &root, &parent, &children, &count)) return std::nullopt;
        if (children) XFree(children);
        if (parent == root || parent == 0) return w;
        w = parent;
    }
}

std::optional<RootRect> outerFrame(Display* display, unsigned long client) {
    const auto top = topLevelOf(display, client);
    if (!top) return std::nullopt;
    const Window w = *top;
    Window root = 0, child = 0;
    int x = 0, y = 0, rootX = 0, rootY = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display, w, &root, &x, &y, &width, &height, &border, &depth)) return std::nullopt;
    XTranslateCoordinates(display, w, root, 0, 0, &rootX, &rootY, &child);
    const int b = static_cast<int>(border);
    return RootRect{rootX - b, rootY - b, static_cast<int>(width) + 2 * b, static_cast<int>(height) + 2 * b};
}

std::optional<RootRect> visibleFrame(Display* display, unsigned long client) {
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, client, XInternAtom(display, "_NET_FRAME_EXTENTS", False), 0, 4, False, XA_CARDINAL,
                       &type, &format, &count, &after, &data);
    std::optional<RootRect> frame;
    Window root = 0, child = 0;
    int x = 0, y = 0, rootX = 0, rootY = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (data && format == 32 && count == 4 &&
        XGetGeometry(display, client, &root, &x, &y, &width, &height, &border, &depth) &&
        XTranslateCoordinates(display, client, root, 0, 0, &rootX, &rootY, &child)) {
        const auto* e = reinterpret_cast<const long*>(data);  // left, right, top, bottom
        frame = RootRect{rootX - static_cast<int>(e[0]), rootY - static_cast<int>(e[2]),
                         static_cast<int>(width + e[0] + e[1]), static_cast<int>(height + e[2] + e[3])};
    }
    if (data) XFree(data);
    return frame ? frame : outerFrame(display, client);
}

}  // namespace tessane::x11test
