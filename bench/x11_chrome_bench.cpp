// Whole-process measurement: a full re-layout of one workspace's chrome (rail, mat, shields and
// handles of a 2 x 2 grid) after its container moved, on a private Xvfb + Openbox, until the X
// server has handled every request it made. Compared with one bare X round trip (XSync) in the
// same run, the floor of anything that waits for the server.
// Usage: x11_chrome_bench [rounds]   (default 200)
#include "BenchStats.h"
#include "GridChrome.h"
#include "platform/linux/x11/LinuxScreens.h"
#include "platform/linux/x11/X11Connection.h"
#include "platform/linux/x11/X11EventMonitors.h"
#include "platform/linux/x11/X11ScreenSpace.h"
#include "platform/qt/panels/QtAnimator.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/panels/PanelStacking.h"
#include "platform/qt/panels/QtPanels.h"
#include "x11/support/X11TestServer.h"

#include <QApplication>

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tessane;
using tessane::bench::clockSeconds;
using tessane::bench::median;

namespace {

struct Figures {
    std::vector<double> roundTrips, moves, dragSteps, shows, freshShows;
    double restacks = 0, freshRestacks = 0;  // restacking requests per show, per new chrome shown
};

std::vector<double> measureMoves(ContainerWindowController& chrome, Display* qtDisplay, int rounds) {
    std::vector<double> moves;
    for (int i = 0; i < rounds; ++i) {
        chrome.containerCocoaRect = {100.0 + (i % 2 ? 40 : 0), 100.0 + (i % 3) * 10, 1600, 860};
        const double t0 = clockSeconds();
        chrome.applyGeometry(true);
        XSync(qtDisplay, False);
        moves.push_back(clockSeconds() - t0);
        QCoreApplication::processEvents();
    }
    return moves;
}

// A divider drag: each pointer movement re-splits the overlay's cards and moves the handles;
// measured until painted and the server caught up.
std::vector<double> measureDrag(ContainerWindowController& chrome, Display* qtDisplay, int rounds) {
    chrome.beginDividerDrag();
    XSync(qtDisplay, False);
    QCoreApplication::processEvents();
    std::vector<double> dragSteps;
    for (int i = 0; i < rounds; ++i) {
        const double t0 = clockSeconds();
        chrome.continueDividerDrag({800.0 + (i % 20) * 5, 500}, 0, LayoutEngine::SplitAxis::column);
        QCoreApplication::processEvents();
        XSync(qtDisplay, False);
        dragSteps.push_back(clockSeconds() - t0);
    }
    return dragSteps;
}

// A show of the whole chrome: ordered out, then in again (the order-fronts of one turn and their
// one restack), until the server has caught up; and the restacking requests each show sends.
std::vector<double> measureShows(ContainerWindowController& chrome, Display* qtDisplay, int rounds, double& restacks) {
    chrome.commitDividerDrag();
    chrome.endDividerSettle();
    QCoreApplication::processEvents();
    std::vector<double> shows;
    const long stackedBefore = qt_backend::PanelStacking::requestsSent();
    for (int i = 0; i < rounds; ++i) {
        chrome.orderOut();
        XSync(qtDisplay, False);
        QCoreApplication::processEvents();
        const double t0 = clockSeconds();
        chrome.orderFront();
        QCoreApplication::processEvents();
        XSync(qtDisplay, False);
        shows.push_back(clockSeconds() - t0);
    }
    restacks = double(qt_backend::PanelStacking::requestsSent() - stackedBefore) / rounds;
    return shows;
}

// A first show of a workspace: its chrome made anew (the last one released) and shown.
std::vector<double> measureFreshShows(const Platform& platform, Display* qtDisplay, int rounds, double& restacks) {
    std::vector<double> freshShows;
    const long freshBefore = qt_backend::PanelStacking::requestsSent();
    for (int i = 0; i < rounds; ++i) {
        const double t0 = clockSeconds();
        {
            ContainerWindowController fresh(platform);
            bench::showGridChrome(fresh, {100, 100, 1600, 860});
            QCoreApplication::processEvents();
            XSync(qtDisplay, False);
            freshShows.push_back(clockSeconds() - t0);
        }
        QCoreApplication::processEvents();
    }
    restacks = double(qt_backend::PanelStacking::requestsSent() - freshBefore) / rounds;
    return freshShows;
}

void print(const Figures& f, int rounds, size_t windows) {
    const double rt = median(f.roundTrips), mv = median(f.moves), ds = median(f.dragSteps);
    std::printf("x11_chrome_bench: %d container moves of a 2x2 chrome (%zu windows; Xvfb + Openbox), medians\n",
                rounds, windows);
    std::printf("  bare X round trip (XSync)                %9.3f ms\n", rt * 1e3);
    std::printf("  re-layout after a move, server caught up %9.3f ms\n", mv * 1e3);
    std::printf("  re-layout / round trip                   %9.1f x\n", mv / rt);
    std::printf("  divider drag step, painted, caught up    %9.3f ms\n", ds * 1e3);
    std::printf("  show (order out, order in), caught up    %9.3f ms\n", median(f.shows) * 1e3);
    std::printf("  restacking requests per show             %9.1f\n", f.restacks);
    std::printf("  new chrome made and shown, caught up     %9.3f ms\n", median(f.freshShows) * 1e3);
    std::printf("  restacking requests per new chrome shown %9.1f\n", f.freshRestacks);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::string error;
    auto server = x11test::X11TestServer::start(&error);
    if (!server) {
        std::fprintf(stderr, "x11_chrome_bench: %s\n", error.c_str());
        return 1;
    }
    setenv("DISPLAY", server->display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int qtArgc = 1;
    char name[] = "x11_chrome_bench";
    char* qtArgv[] = {name, nullptr};
    QApplication app(qtArgc, qtArgv);
    Display* qtDisplay = app.nativeInterface<QNativeInterface::QX11Application>()->display();

    auto x = linux_backend::X11Connection::open(server->display().c_str());
    {
        qt_backend::QtMainQueue queue;
        linux_backend::LinuxScreens screens(*x, queue);
        linux_backend::X11ScreenSpace space(screens);
        qt_backend::QtPanels panels(space, *x);
        linux_backend::X11EventMonitors monitors(*x, space, queue, nullptr);
        qt_backend::QtAnimator animator(panels);
        Platform platform;
        platform.animator = &animator;
        platform.mainQueue = &queue;
        platform.screens = &screens;
        platform.panels = &panels;
        platform.eventMonitors = &monitors;

        ContainerWindowController chrome(platform);
        bench::showGridChrome(chrome, {100, 100, 1600, 860});
        XSync(qtDisplay, False);
        QCoreApplication::processEvents();

        Figures f;
        for (int i = 0; i < rounds; ++i) {
            const double t0 = clockSeconds();
            XSync(qtDisplay, False);
            f.roundTrips.push_back(clockSeconds() - t0);
        }
        f.moves = measureMoves(chrome, qtDisplay, rounds);
        f.dragSteps = measureDrag(chrome, qtDisplay, rounds);
        f.shows = measureShows(chrome, qtDisplay, rounds, f.restacks);
        f.freshShows = measureFreshShows(platform, qtDisplay, rounds, f.freshRestacks);
        print(f, rounds, 2 + chrome.paneMat.shieldPanels().size() + chrome.dividerPanels.size());
    }
    return 0;
}
