// What the desktop tells of the windows: the stacking, each process's windows, states, roles and
// frames.
#include "platform/linux/windows/LinuxAccessibility.h"

#include "platform/linux/windows/ActivationRaise.h"

#include "platform/linux/x11/X11DesktopModel.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace tessane::linux_backend {

namespace {

constexpr long kIconicState = 3;

}  // namespace

std::vector<XWindowId> LinuxAccessibility::clientsFrontToBack() {
    const auto stacking = stackingBottomToTop();
    if (!stacking) return {};
    return std::vector<XWindowId>(stacking->rbegin(), stacking->rend());
}

// Xfwm sets no stacking list while it manages one window, and another client may set one the
// manager then leaves alone: a listed client the stacking list lacks goes at the back.
// Fluxbox keeps its stacking list in the order it took its clients in, whatever it raises since:
// the listed clients take the places they hold in the list in the order the server stacks their
// frames, which is the list's own order wherever the manager keeps it.
std::optional<std::vector<XWindowId>> LinuxAccessibility::stackingBottomToTop() {
    auto stacking = x_.windowList(x_.root(), "_NET_CLIENT_LIST_STACKING");
    const auto clients = x_.windowList(x_.root(), "_NET_CLIENT_LIST");
    if (!stacking) stacking = clients;
    if (!stacking) return std::nullopt;
    if (clients && stacking != clients) {
        const WindowIdSet stacked(*stacking);
        std::vector<XWindowId> missing;
        for (XWindowId w : *clients)
            if (!stacked.contains(w)) missing.push_back(w);
        stacking->insert(stacking->begin(), missing.begin(), missing.end());
    }
    if (clients && !clients->empty()) {
        auto& desktop = x_.desktop();
        desktop.clientFrames();  // learns the listed clients' frames, in one batch
        std::unordered_map<XWindowId, size_t> height;
        const auto& children = desktop.rootStacking();
        for (size_t i = 0; i < children.size(); ++i) height.emplace(children[i], i);
        const WindowIdSet listed(*clients);
        std::vector<size_t> places;
        std::vector<std::pair<size_t, XWindowId>> byHeight;
        for (size_t i = 0; i < stacking->size(); ++i) {
            const XWindowId w = (*stacking)[i];
            if (!listed.contains(w)) continue;
            const auto frame = desktop.knownFrameOf(w);
            const auto at = frame ? height.find(*frame) : height.end();
            if (at == height.end()) continue;  // gone, or its frame not known: it keeps its place
            places.push_back(i);
            byHeight.emplace_back(at->second, w);
        }
        std::stable_sort(byHeight.begin(), byHeight.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t k = 0; k < places.size(); ++k) (*stacking)[places[k]] = byHeight[k].second;
    }
    noteStacking(*stacking);
    return stacking;
}

// Any client may set the stacking list too; what is cached about its ids goes when they leave.
void LinuxAccessibility::noteStacking(const std::vector<XWindowId>& stacking) {
    if (stacking == stacking_) return;
    stacking_ = stacking;
    stackingSet_ = WindowIdSet(stacking_);
    noOwner_.keepIf([this](XWindowId w) { return listedAnywhere(w); });
}

bool LinuxAccessibility::listedAnywhere(XWindowId window) const {
    return clients_.listed(window) || stackingSet_.contains(window);
}

bool LinuxAccessibility::isApplicationWindow(XWindowId window) {
    auto types = x_.atomList(window, "_NET_WM_WINDOW_TYPE");
    if (!types || types->empty()) return true;
    const XAtomId t = types->front();
    return t != x_.atom("_NET_WM_WINDOW_TYPE_DOCK") && t != x_.atom("_NET_WM_WINDOW_TYPE_DESKTOP");
}

uint64_t LinuxAccessibility::passVersion() {
    return x_.desktop().version({x_.atom("_NET_CLIENT_LIST_STACKING"), x_.atom("_NET_CLIENT_LIST"),
                                 x_.atom("_NET_WM_WINDOW_TYPE")});
}

// Every process's application windows, front to back, from one walk over the stacking list
// kept for as long as the lists and the windows' types stay (a desktop of a thousand windows is
// not walked again for each application a show asks about, nor when a title or a state
// changes); an application with many windows asks for each of them whether it is the main one.
const LinuxAccessibility::Pass& LinuxAccessibility::pass() {
    if (pass_.mainWindowVersion != x_.desktop().version()) pass_.mainWindow.clear();
    if (pass_.version == passVersion() && pass_.stackingVersion == x_.desktop().stackingVersion()) return pass_;
    pass_.windows.clear();
    pass_.mainWindow.clear();
    // Kept under the versions the list was read at: what the round trips of this walk brought
    // in (a window listed meanwhile, or reading the list being news to the model) is not in it,
    // and the next call walks again.
    const uint64_t version = passVersion();
    const uint64_t stackingVersion = x_.desktop().stackingVersion();
    const auto clients = clientsFrontToBack();
    const auto owners = windowPids(clients);
    for (size_t i = 0; i < clients.size(); ++i)
        if (owners[i] && isApplicationWindow(clients[i])) pass_.windows[*owners[i]].push_back(clients[i]);
    pass_.version = version;
    pass_.stackingVersion = stackingVersion;
    return pass_;
}

std::vector<XWindowId> LinuxAccessibility::windowsOf(Pid pid) {
    const auto& windows = pass().windows;
    auto it = windows.find(pid);
    return it == windows.end() ? std::vector<XWindowId>{} : it->second;
}

std::optional<bool> LinuxAccessibility::isMinimized(XWindowId window) {
    auto s = state(window);
    if (!s) return std::nullopt;
    return s->minimized;
}

std::vector<bool> LinuxAccessibility::areMinimized(const std::vector<XWindowId>& windows) {
    auto& model = x_.desktop();
    const auto netStates = model.properties(windows, x_.atom("_NET_WM_STATE"));
    const auto wmStates = model.properties(windows, x_.atom("WM_STATE"));
    const XAtomId hidden = x_.atom("_NET_WM_STATE_HIDDEN");
    std::vector<bool> out(windows.size());
    for (size_t i = 0; i < windows.size(); ++i) {
        const auto& net = netStates[i];
        const auto& wm = wmStates[i];
        out[i] = (net && net->format == 32 &&
                  std::any_of(net->items.begin(), net->items.end(),
                              [&](long a) { return static_cast<XAtomId>(static_cast<unsigned long>(a)) == hidden; })) ||
                 (wm && wm->format == 32 && !wm->items.empty() && wm->items[0] == kIconicState);
    }
    return out;
}

std::optional<LinuxAccessibility::WindowState> LinuxAccessibility::state(XWindowId window) {
    WindowState s;
    if (auto atoms = x_.atomList(window, "_NET_WM_STATE")) {
        for (XAtomId a : *atoms) {
            if (a == x_.atom("_NET_WM_STATE_HIDDEN")) s.minimized = true;
            else if (a == x_.atom("_NET_WM_STATE_FULLSCREEN")) s.fullScreen = true;
            else if (a == x_.atom("_NET_WM_STATE_MAXIMIZED_VERT") || a == x_.atom("_NET_WM_STATE_MAXIMIZED_HORZ"))
                s.maximized = true;
        }
    } else if (!x_.windowExists(window)) {
        return std::nullopt;
    }
    if (auto wmState = x_.cardinals(window, "WM_STATE"); wmState && !wmState->empty() &&
                                                         (*wmState)[0] == kIconicState)
        s.minimized = true;
    return s;
}

std::optional<XWindowId> LinuxAccessibility::mainWindowOf(Pid pid) {
    pass();
    if (auto known = pass_.mainWindow.find(pid); known != pass_.mainWindow.end()) return known->second;
    const uint64_t version = x_.desktop().version();
    auto found = findMainWindow(pid);
    // Kept only when reading it told the model nothing new.
    if (x_.desktop().version() == version) {
        if (pass_.mainWindowVersion != version) pass_.mainWindow.clear();
        pass_.mainWindowVersion = version;
        pass_.mainWindow[pid] = found;
    }
    return found;
}

std::optional<XWindowId> LinuxAccessibility::findMainWindow(Pid pid) {
    auto windows = windowsOf(pid);
    auto active = x_.windowList(x_.root(), "_NET_ACTIVE_WINDOW");
    if (active && !active->empty() &&
        std::find(windows.begin(), windows.end(), (*active)[0]) != windows.end())
        return (*active)[0];
    for (XWindowId w : windows) {
        auto s = state(w);
        if (s && !s->minimized) return w;
    }
    return std::nullopt;
}

std::optional<std::vector<XWindowId>> LinuxAccessibility::framesOver(XWindowId window) {
    auto& desktop = x_.desktop();
    const auto frame = desktop.frameOf(window);
    if (!frame) return std::nullopt;
    const auto order = desktop.rootStacking();
    const auto at = std::find(order.begin(), order.end(), *frame);
    if (at == order.end()) return std::nullopt;
    // Only the frame and what lies above it matter.
    const std::vector<XWindowId> upper(at, order.end());
    const auto clientFrames = desktop.clientFrames();
    const std::unordered_set<XWindowId> clients(clientFrames.begin(), clientFrames.end());
    const auto states = desktop.rootChildStates(upper);
    std::vector<StackedFrame> stacked;
    for (size_t i = 0; i < upper.size(); ++i)
        if (states[i])
            stacked.push_back({upper[i], states[i]->rootRect.insetBy(-states[i]->borderWidth, -states[i]->borderWidth),
                               states[i]->viewable && !states[i]->inputOnly && clients.count(upper[i]) > 0});
    return linux_backend::framesOver(stacked, *frame);
}

std::optional<std::string> LinuxAccessibility::subrole(XWindowId window) {
    auto types = x_.atomList(window, "_NET_WM_WINDOW_TYPE");
    if (types && !types->empty()) {
        for (XAtomId t : *types) {  // the first type we know wins, as EWMH asks
            if (t == x_.atom("_NET_WM_WINDOW_TYPE_NORMAL")) return std::string(ax::kSubroleStandardWindow);
            if (t == x_.atom("_NET_WM_WINDOW_TYPE_DIALOG")) return std::string(ax::kSubroleDialog);
            if (t == x_.atom("_NET_WM_WINDOW_TYPE_UTILITY") || t == x_.atom("_NET_WM_WINDOW_TYPE_TOOLBAR") ||
                t == x_.atom("_NET_WM_WINDOW_TYPE_MENU") || t == x_.atom("_NET_WM_WINDOW_TYPE_SPLASH"))
                return std::string(ax::kSubroleFloatingWindow);
        }
        return std::string("AXUnknown");
    }
    // No type: a transient window is a dialog, anything else a normal window.
    auto owner = x_.transientFor(window);
    if (owner && *owner != 0) return std::string(ax::kSubroleDialog);
    return std::string(ax::kSubroleStandardWindow);
}

// The decorations the manager announced. Any client may write a window's extents, and a
// refused value would leave the visible frame off the frame asked for by its size, so that no
// move of the window ever looked done: the frame the manager put the window in stands in, less
// what its frames hold that is not seen.
FrameExtents LinuxAccessibility::decorations(XWindowId window, const Rect& client) {
    const Size screen = x_.rootSize();
    const Size limit{screen.width / 2, screen.height / 2};
    const auto announced = x_.cardinals(window, "_NET_FRAME_EXTENTS");
    if (const auto e = FrameExtents::fromCardinals(announced, limit)) return *e;
    if (!announced) return {};
    const auto frame = x_.desktop().frameOf(window);
    const auto g = frame && *frame != window ? x_.geometry(*frame) : std::nullopt;
    if (!g) return {};
    const auto framed = FrameExtents::between(g->rootRect.insetBy(-g->borderWidth, -g->borderWidth), client, limit);
    if (!framed) return {};
    const FrameExtents unseen = unseenBorders(window, limit);
    return {std::max(0.0, framed->left - unseen.left), std::max(0.0, framed->right - unseen.right),
            std::max(0.0, framed->top - unseen.top), std::max(0.0, framed->bottom - unseen.bottom)};
}

// What the manager's frames hold beyond the decorations it announces: Metacity's family makes
// them wider than what is seen (resize borders that take no paint); none for other managers.
// Learnt from other decorated windows whose extents the manager wrote (not ones that draw their
// own frame, _GTK_FRAME_EXTENTS): their frame less their client less their extents, the least on
// each side, so that a client writing plausible extents of its own cannot widen it.
FrameExtents LinuxAccessibility::unseenBorders(XWindowId liar, Size limit) {
    constexpr int kReferences = 4;
    auto& desktop = x_.desktop();
    std::unordered_set<XWindowId> drawOwn;
    for (const auto& [w, value] : desktop.listedWith(x_.atom("_GTK_FRAME_EXTENTS"))) drawOwn.insert(w);
    desktop.clientFrames();  // every listed client's frame learnt in one exchange
    std::optional<FrameExtents> least;
    int references = 0;
    for (const auto& [w, value] : desktop.listedWith(x_.atom("_NET_FRAME_EXTENTS"))) {
        if (references == kReferences) break;
        const auto honest = FrameExtents::fromCardinals(value.items, limit);
        const auto frame = desktop.knownFrameOf(w);
        if (w == liar || drawOwn.count(w) || !honest || *honest == FrameExtents{} || !frame || *frame == w) continue;
        const auto outer = x_.geometry(*frame);
        const auto inner = x_.geometry(w);
        const auto framed = outer && inner ? FrameExtents::between(outer->rootRect.insetBy(-outer->borderWidth, -outer->borderWidth),
                                                                   inner->rootRect, limit)
                                           : std::nullopt;
        if (!framed) continue;
        const FrameExtents beyond{framed->left - honest->left, framed->right - honest->right,
                                  framed->top - honest->top, framed->bottom - honest->bottom};
        if (beyond.left < 0 || beyond.right < 0 || beyond.top < 0 || beyond.bottom < 0) continue;  // not its frame's
        ++references;
        least = !least ? beyond
                       : FrameExtents{std::min(least->left, beyond.left), std::min(least->right, beyond.right),
                                      std::min(least->top, beyond.top), std::min(least->bottom, beyond.bottom)};
    }
    return least.value_or(FrameExtents{});
}

std::optional<WindowFrame> LinuxAccessibility::windowFrame(XWindowId window, bool fresh) {
    auto g = fresh ? x_.freshGeometry(window) : x_.geometry(window);
    if (!g) return std::nullopt;
    WindowFrame f;
    f.client = g->rootRect;
    f.borderWidth = g->borderWidth;
    // A full-screen window shows no decorations, whatever extents its manager left behind
    // (Marco keeps those of its title bar). Extents that make no sense are none: decorations
    // that take half the screen, a shadow margin that leaves nothing of the window inside it.
    const auto s = state(window);
    if (!s || !s->fullScreen) f.decorations = decorations(window, f.client);
    f.shadow = FrameExtents::fromCardinals(x_.cardinals(window, "_GTK_FRAME_EXTENTS"), f.client.size)
                   .value_or(FrameExtents{});
    return f;
}

std::optional<Rect> LinuxAccessibility::visibleFrame(XWindowId window, bool fresh) {
    auto f = windowFrame(window, fresh);
    if (!f) return std::nullopt;
    // Taken as placed where its restore brings it: read there while the manager animates it back,
    // as every reader was told when it was placed (a read mid-way would be a move nobody made).
    if (const auto arriving = arrivals_.find(window); arriving != arrivals_.end() && !fresh)
        return arriving->second.frame;
    const Point o = origin();
    return f->visible().offsetBy(-o.x, -o.y);
}

}  // namespace tessane::linux_backend
