#include "AppRuns.h"

#include "BenchStats.h"
#include "platform/linux/x11/X11Connection.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace tessane::bench {

using namespace std::chrono;
using tessane::testing::Bound;
using tessane::testing::waitFor;
using x11test::RootRect;

ProcessCost cost(pid_t pid) {
    ProcessCost c;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    // The fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    std::vector<std::string> fields((std::istream_iterator<std::string>(rest)), {});
    if (fields.size() > 12)
        c.cpuSeconds = double(std::stol(fields[11]) + std::stol(fields[12])) / double(::sysconf(_SC_CLK_TCK));
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        const auto number = [&] { return std::atol(line.c_str() + line.find(':') + 1); };
        if (line.starts_with("voluntary_ctxt_switches") || line.starts_with("nonvoluntary_ctxt_switches"))
            c.contextSwitches += number();
        if (line.starts_with("VmRSS")) c.residentKB = number();
    }
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string line; std::getline(rollup, line);)
        if (line.starts_with("Anonymous:")) c.anonymousKB = std::atol(line.c_str() + line.find(':') + 1);
    return c;
}

void keepSmaps(pid_t pid, const std::string& name) {
    const char* dir = std::getenv("TESSANE_BENCH_SMAPS_DIR");
    if (!dir || !*dir) return;
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
    std::ofstream(std::string(dir) + "/" + name + ".smaps") << in.rdbuf();
}

ProcessCost idle(pid_t pid, int seconds) {
    const ProcessCost before = cost(pid);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    ProcessCost after = cost(pid);
    after.cpuSeconds -= before.cpuSeconds;
    after.contextSwitches -= before.contextSwitches;
    return after;
}

int fail(const std::string& why) {
    std::fprintf(stderr, "app_runs_bench: %s\n", why.c_str());
    return 1;
}

namespace {

bool logHas(const std::string& file, const std::string& text) {
    std::ifstream in(file);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    return all.find(text) != std::string::npos;
}

}  // namespace

std::optional<std::string> AppRunsDesktop::setUp() {
    std::string error;
    server = x11test::X11TestServer::start(&error);
    if (!server) return error;
    home = std::make_unique<e2e::PrivateHome>(TESSANE_X11_CLIENT);
    // A tray, as on a desktop: the program's icon and the hello world's dock in it.
    tray = x11test::ChildProcess::start({TESSANE_TRAY_HOST, "--at", "1600,0"}, server->display(), {}, true);
    if (!tray || !tray->waitForLine("ready", milliseconds(10000))) return "the tray host did not come up";
    hello = x11test::ChildProcess::start({TRAY_HELLO}, server->display(), {}, true);
    if (!hello || !hello->waitForLine("ready", milliseconds(20000)) || !tray->waitForLine("docked ", milliseconds(20000)))
        return "the tray hello world did not come up";
    for (size_t i = 0; i < names.size(); ++i) {
        home->installApp(names[i]);
        auto args = e2e::PrivateHome::clientArguments(names[i]);
        args.insert(args.begin(), TESSANE_X11_CLIENT);
        args.insert(args.end(), {"--pos", std::to_string(100 + 60 * i) + ",100"});
        clients.push_back(x11test::ChildProcess::start(args, server->display(), {}, true));
        auto line = clients.back()->waitForLine("window ", milliseconds(10000));
        if (!line) return "test client did not come up";
        windows.push_back(std::strtoul(line->c_str() + 7, nullptr, 16));
    }
    home->storeWorkspaces({home->workspace("Grid", names)});
    x = linux_backend::X11Connection::open(server->display().c_str());
    if (!x) return "no connection";
    d = x->display();
    watch = std::make_unique<TileWatch>(server->display());
    if (!watch->connected()) return "no second connection";
    logFile = (home->root() / "tessane.log").string();
    return std::nullopt;
}

void AppRunsDesktop::settle() const { std::this_thread::sleep_for(seconds(2)); }

bool AppRunsDesktop::startTessane(const std::vector<std::string>& environment) {
    std::remove(logFile.c_str());  // this start's own lines
    tessane = x11test::ChildProcess::start({TESSANE_APP}, server->display(), logFile, false, environment);
    return tessane && waitFor([&] { return logHas(logFile, "[Tessane][AX] launch:"); },
            Bound{"Tessane's start", seconds(60)});
}

double AppRunsDesktop::stopTessane() {
    const double t0 = clockSeconds();
    ::kill(tessane->pid(), SIGTERM);
    const bool ended = tessane->wait(seconds(60)).has_value();
    return ended ? clockSeconds() - t0 : -1.0;
}

double AppRunsDesktop::timedChord(const std::vector<KeySym>& keys) {
    watch->forget();
    const double t0 = clockSeconds();
    typeChord(d, keys);
    if (!watch->waitTiled(windows, seconds(30))) ++timeouts;
    return clockSeconds() - t0;
}

void AppRunsDesktop::hide() {
    typeChord(d, hideKey);
    waitFor(
        [&] { return std::all_of(windows.begin(), windows.end(), [&](auto w) { return isIconic(d, w); }); },
        Bound{"a hide", seconds(30)});
}

void AppRunsDesktop::spread() {
    for (size_t i = 0; i < windows.size(); ++i)
        server->run({"wmctrl", "-i", "-r", std::to_string(windows[i]), "-e",
                     "0," + std::to_string(100 + 60 * i) + ",100,400,300"});
    // Every spread move landed (each client back at 400 x 300): a late one would otherwise
    // undo a show's move that follows at once, and the show never be confirmed.
    waitFor(
        [&] {
            return std::all_of(windows.begin(), windows.end(), [&](unsigned long w) {
                Window root = 0;
                int x = 0, y = 0;
                unsigned width = 0, height = 0, border = 0, depth = 0;
                return XGetGeometry(d, w, &root, &x, &y, &width, &height, &border, &depth) && width == 400 &&
                       height == 300;
            });
        }, Bound{"the clients' moves", seconds(5)});
}

double AppRunsDesktop::floorMoves(bool settled) {
    spread();
    if (settled) settle();
    watch->forget();
    const double t0 = clockSeconds();
    askMoves(*x, windows, placed);
    XFlush(d);
    watch->waitTiled(windows, seconds(5));
    return clockSeconds() - t0;
}

std::optional<AppRunsDesktop::FirstShow> AppRunsDesktop::firstShow() {
    if (!startTessane()) return std::nullopt;
    settle();
    spread();
    watch->timeMapsOf(clientsOf(d, tessane->pid()));
    watch->forget();
    const double t0 = clockSeconds();
    const double t = timedChord(showKey);
    watch->listen(milliseconds(500));
    const double chromeUp = watch->lastMap() > 0 ? watch->lastMap() - t0 : -1;
    watch->timeMapsOf({});
    stopTessane();
    return FirstShow{t, chromeUp};
}

}  // namespace tessane::bench
