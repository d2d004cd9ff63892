#pragma once
// What app_runs_bench reads of and sends to the X server besides the program: the windows'
// states and frames, the clients behind them, the hot key typed, the floors' four moves, and a
// watch that confirms the windows in their panes as their frames move.

#include "WindowState.h"
#include "x11/support/X11TestServer.h"

#include <X11/Xlib.h>
#include <poll.h>
#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tessane::linux_backend {
class X11Connection;
}

namespace tessane::bench {

constexpr int kWidth = 1920, kHeight = 1080;

// Every window shown, inside a quadrant of its own, and each a good part of it. (A hidden
// window keeps its frame where it was.)
bool tiled(Display* d, const std::vector<unsigned long>& windows);
// The resource-id base of the client that made the top-level windows named "Tessane ...": the
// program's Qt connection, which makes its chrome.
std::optional<unsigned long> chromeClientBase(Display* d);
// The resource-id base of the window manager's connection: the one that made the root's
// _NET_SUPPORTING_WM_CHECK window.
std::optional<unsigned long> windowManagerClient(Display* d);
// The resource-id bases of the X clients of process `pid` (its connections), as the server tells.
std::set<unsigned long> clientsOf(Display* d, pid_t pid);
// Types a chord through XTEST on `d`: its keys pressed in order, then released in reverse.
void typeChord(Display* d, const std::vector<KeySym>& keys);
// The four moves of the floors: each window's frame to its corner, its client to its size, as
// _NET_MOVERESIZE_WINDOW takes them (what wmctrl -e sends).
void askMoves(linux_backend::X11Connection& x, const std::vector<unsigned long>& windows,
              const std::vector<x11test::RootRect>& placed);

// Confirms the windows in their quadrants each time a child of the root (a frame) is configured,
// on a connection of its own: no sleeping between a move and its confirmation, and no reads
// while nothing moves.
class TileWatch {
public:
    explicit TileWatch(const std::string& display);
    ~TileWatch();
    TileWatch(const TileWatch&) = delete;
    TileWatch& operator=(const TileWatch&) = delete;
    bool connected() const { return d_ != nullptr; }
    // Drops what was heard so far (before a timed start: thousands of windows made earlier are
    // not read on the clock).
    void forget();
    // From now on the maps of windows made by these clients (resource-id bases: the program's
    // connections) are timed: its chrome coming up.
    void timeMapsOf(std::set<unsigned long> clients) { clients_ = std::move(clients); }
    // When the last of those windows was mapped (clock seconds; 0: none since forget()).
    double lastMap() const { return lastMap_; }
    // Goes on hearing for a while, for maps that come after the windows are in place.
    void listen(std::chrono::milliseconds period);
    // Whether the windows were tiled before `timeout` passed.
    bool waitTiled(const std::vector<unsigned long>& windows, std::chrono::milliseconds timeout);

private:
    void drain();
    Display* d_;
    std::set<unsigned long> clients_;
    double lastMap_ = 0;
};

// The hot key's own floor: a client that grabbed the key and, the moment it hears it, sends the
// four moves of P4 (no reading, no deciding): what answering a key costs any program before its
// own work (the key through the server, a sleeping process woken). On its own connection and
// thread, for as long as it lives; only while the program is not running (one grab per key).
class KeyFloor {
public:
    KeyFloor(const std::string& display, std::vector<unsigned long> windows, std::vector<x11test::RootRect> placed);
    ~KeyFloor();
    KeyFloor(const KeyFloor&) = delete;
    KeyFloor& operator=(const KeyFloor&) = delete;
    bool connected() const { return x_ != nullptr; }

private:
    std::unique_ptr<linux_backend::X11Connection> x_;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace tessane::bench
