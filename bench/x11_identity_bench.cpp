// Whole-process figure: which application each window of a busy desktop belongs to. A private
// Xvfb + Openbox with 200 client windows (50 processes of 4 windows: a quarter name their app by
// a GApplication id, a quarter by StartupWMClass, a quarter by WM_CLASS against a reverse-DNS
// id, a quarter only by their process), the machine's own desktop entries plus 100 of ours
// (each app with a settings entry running the same program). Measured:
//   - the running-applications backend starting up: every window taken in and every process
//     matched (the first slice at once, the rest on the queue), with the /proc reads it made;
//   - the matching rules alone, all 200 windows' evidence against the index.
// Usage: x11_identity_bench [rounds]   (default 20)
#include "StepQueue.h"
#include "platform/linux/desktop/DesktopAppIndex.h"
#include "platform/linux/windows/LinuxAccessibility.h"
#include "platform/linux/apps/LinuxAppCatalog.h"
#include "platform/linux/apps/LinuxRunningApplications.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/apps/ProcessEvidence.h"
#include "platform/linux/processes/ProcessLauncher.h"
#include "platform/linux/apps/X11AppEvidence.h"
#include "x11/support/X11TestServer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace tessane;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

double clockSeconds() { return duration<double>(steady_clock::now().time_since_epoch()).count(); }

using bench::StepQueue;

constexpr int kProcesses = 50, kWindowsEach = 4;

// The 50 processes and their desktop entries in `home`; false when one did not come up.
bool startClients(x11test::X11TestServer& server, const fs::path& home,
                  std::vector<std::unique_ptr<x11test::ChildProcess>>& clients) {
    for (int i = 0; i < kProcesses; ++i) {
        const std::string n = std::to_string(i), id = "org.bench.App" + n;
        std::vector<std::string> args = {TESSANE_X11_CLIENT, "--windows", std::to_string(kWindowsEach), "--title", "App" + n};
        std::string entry = "[Desktop Entry]\nType=Application\nName=App " + n + "\nExec=" + TESSANE_X11_CLIENT +
                            " --title App" + n + " %U\n";
        switch (i % 4) {
            case 0: args.insert(args.end(), {"--class", "x.Unrelated", "--gtk-app-id", id}); break;
            case 1:
                args.insert(args.end(), {"--class", "x.Startup" + n});
                entry += "StartupWMClass=Startup" + n + "\n";
                break;
            case 2: args.insert(args.end(), {"--class", "app" + n + ".App" + n}); break;
            default: args.insert(args.end(), {"--class", "x.Unrelated"}); break;
        }
        std::ofstream(home / "applications" / (id + ".desktop")) << entry;
        std::ofstream(home / "applications" / (id + "-settings.desktop"))
            << "[Desktop Entry]\nType=Application\nName=App " << n << " Settings\nExec=" << TESSANE_X11_CLIENT
            << " --title App" << n << " --preferences\nCategories=Settings;\n";
        clients.push_back(x11test::ChildProcess::start(args, server.display(), {}, true));
        if (!clients.back()->waitForLine("ready", milliseconds(10000))) return false;
    }
    return true;
}

// The running-applications backend starting up, each round afresh.
void measureStartUp(linux_backend::X11Connection& x, const LinuxAppCatalog& catalog, int rounds) {
    std::vector<double> startUps;
    int matched = 0;
    for (int r = 0; r < rounds; ++r) {
        StepQueue queue;
        const double t0 = clockSeconds();
        linux_backend::LinuxScreens screens(x, queue);
        linux_backend::LinuxAccessibility ax(x, screens, queue);
        linux_backend::LinuxRunningApplications apps(x, ax, catalog, queue);
        queue.drain();
        startUps.push_back(clockSeconds() - t0);
        matched = 0;
        for (const auto& a : apps.runningApplications())
            if (a.bundleIdentifier && a.bundleIdentifier->starts_with("org.bench.App") &&
                !a.bundleIdentifier->ends_with("-settings"))
                ++matched;
    }
    std::sort(startUps.begin(), startUps.end());
    std::printf("  start-up, every window taken in and matched:  median %7.2f ms  (best %.2f, %d rounds)\n",
                startUps[startUps.size() / 2] * 1e3, startUps.front() * 1e3, rounds);
    std::printf("  processes matched to their app's entry (not its settings entry): %d of %d\n", matched, kProcesses);
}

linux_desktop::DesktopAppIndex readIndex(const LinuxAppCatalog& catalog) {
    const double indexStart = clockSeconds();
    std::vector<linux_desktop::DesktopAppIndex::App> apps;
    for (const auto& [id, path] : catalog.applicationEntries())
        if (auto entry = linux_desktop::DesktopEntry::read(path))
            apps.push_back(linux_desktop::DesktopAppIndex::describe(id, path, *entry, "C",
                                                                    linux_backend::ProcessLauncher::searchPath()));
    linux_desktop::DesktopAppIndex index(std::move(apps));
    std::printf("  the entry index, read and described: %.2f ms\n", (clockSeconds() - indexStart) * 1e3);
    return index;
}

// The rules alone, over the evidence of every window.
void measureRules(linux_backend::X11Connection& x, const LinuxAppCatalog& catalog,
                  const std::vector<linux_backend::XWindowId>& windows,
                  const std::vector<std::unique_ptr<x11test::ChildProcess>>& clients, int rounds) {
    const linux_desktop::DesktopAppIndex index = readIndex(catalog);
    double t0 = clockSeconds();
    const auto read = linux_backend::WindowAppEvidence::read(x, windows);
    const double windowRead = clockSeconds() - t0;
    std::vector<linux_desktop::DesktopAppIndex::Evidence> evidence;
    t0 = clockSeconds();
    for (size_t i = 0; i < windows.size(); ++i) {
        linux_desktop::DesktopAppIndex::Evidence e;
        e.gtkApplicationId = read[i].gtkApplicationId;
        e.wmClass = read[i].wmClass;
        const auto p = linux_backend::ProcessEvidence::read(clients[i / kWindowsEach]->pid(),
                                                           linux_backend::ProcessLauncher::searchPath());
        e.programs = p.programs;
        e.arguments = p.arguments;
        evidence.push_back(std::move(e));
    }
    const double procRead = clockSeconds() - t0;
    t0 = clockSeconds();
    int found = 0;
    for (int r = 0; r < rounds; ++r)
        for (const auto& e : evidence) found += index.match(e) != nullptr;
    const double perDesktop = (clockSeconds() - t0) / rounds;
    std::printf("  window evidence of all %zu windows (4 batched property reads): %.2f ms\n", windows.size(),
                windowRead * 1e3);
    std::printf("  process evidence, read for every window (uncached): %.2f ms\n", procRead * 1e3);
    std::printf("  the rules, every window against %zu entries: %.3f ms per desktop (%d of %zu matched)\n",
                index.apps().size(), perDesktop * 1e3, found / rounds, evidence.size());
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::string error;
    auto server = x11test::X11TestServer::start(&error);
    if (!server) {
        std::fprintf(stderr, "x11_identity_bench: %s\n", error.c_str());
        return 1;
    }
    const fs::path home = fs::temp_directory_path() / ("tessane-identity-bench-" + std::to_string(::getpid()));
    fs::create_directories(home / "applications");
    std::vector<std::unique_ptr<x11test::ChildProcess>> clients;
    if (!startClients(*server, home, clients)) {
        std::fprintf(stderr, "x11_identity_bench: test client did not come up\n");
        return 1;
    }
    auto x = linux_backend::X11Connection::open(server->display().c_str());
    if (!x) {
        std::fprintf(stderr, "x11_identity_bench: cannot connect\n");
        return 1;
    }
    LinuxAppCatalog::Folders folders;
    folders.dataHome = home;
    folders.dataDirs = {"/usr/local/share", "/usr/share"};
    LinuxAppCatalog catalog(folders, nullptr);
    const auto windows = x->windowList(x->root(), "_NET_CLIENT_LIST").value_or(std::vector<linux_backend::XWindowId>{});

    std::printf("x11_identity_bench: %zu windows of %d processes, %zu desktop entries (Xvfb + Openbox)\n",
                windows.size(), kProcesses, catalog.applicationEntries().size());
    measureStartUp(*x, catalog, rounds);
    measureRules(*x, catalog, windows, clients, rounds);
    fs::remove_all(home);
    return 0;
}
