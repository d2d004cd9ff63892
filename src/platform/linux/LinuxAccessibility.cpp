// Elements, attributes and actions. Observers are in LinuxAXObserver.cpp.
#include "platform/linux/LinuxAccessibility.h"

#include "platform/linux/LinuxAXRegistry.h"
#include "platform/linux/LinuxScreens.h"
#include "platform/linux/X11DesktopModel.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdint>
#include <csignal>
#include <fstream>
#include <iterator>
#include <unordered_map>
#include <utility>

namespace tessane::linux_backend {

namespace {

constexpr uint64_t kApplicationTag = 1ull << 62;
constexpr long kIconicState = 3;
// How long a manager that does not answer round trips is given to restore a window it was asked to.
constexpr double kRestoreBound = 0.5;
// Apple's own code for an action an element does not have.
constexpr AXError kActionUnsupported = static_cast<AXError>(-25206);

bool processExists(Pid pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

AXAttributeResult value(AXValue v) { return {AXError::success, std::move(v)}; }
AXAttributeResult error(AXError e) { return {e, {}}; }

}  // namespace

LinuxAccessibility::LinuxAccessibility(X11Connection& x, LinuxScreens& screens, MainQueue& queue)
    : x_(x), screens_(screens), queue_(queue), registry_(std::make_shared<Registry>()) {
    x_.selectInput(x_.root(), X11EventMask::properties | X11EventMask::structure);
    x_.selectScreenChanges();
    // The windows listed before us are taken in as they are: nobody is told they appeared.
    clients_.update(x_.windowList(x_.root(), "_NET_CLIENT_LIST").value_or(std::vector<XWindowId>{}));
    auto listed = clients_.next(SIZE_MAX);
    listed.resize(std::min(listed.size(), ClientListTracker::kSlice));  // a longer list is read as asked
    prefetchWindowFacts(listed);
    if (auto active = x_.windowList(x_.root(), "_NET_ACTIVE_WINDOW"); active && !active->empty())
        registry_->activeWindow = (*active)[0];
    events_ = x_.onEvent([this](const X11Event& e) { onEvent(e); });
}

// What a show asks of every window of an application, read for new clients as they come (a
// batch per property), so that the first show after a thousand windows appeared does not pay.
void LinuxAccessibility::prefetchWindowFacts(const std::vector<XWindowId>& all) {
    std::vector<XWindowId> windows;  // ours (the chrome's mat, our dialogs) are read only if asked
    std::copy_if(all.begin(), all.end(), std::back_inserter(windows), [this](XWindowId w) { return !x_.madeByThisProcess(w); });
    if (windows.empty()) return;
    for (const char* name : {"_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "WM_STATE", "WM_TRANSIENT_FOR",
                             "_NET_FRAME_EXTENTS", "_GTK_FRAME_EXTENTS", "_NET_WM_NAME", "WM_NORMAL_HINTS", "WM_HINTS"})
        x_.desktop().prefetch(windows, x_.atom(name));
    x_.desktop().prefetchGeometry(windows);
}

LinuxAccessibility::~LinuxAccessibility() {
    sendDeferredRestores();
    arrivalEvents_.reset();
    events_.reset();
    registry_->watches.clear();
    registry_->alive = false;
}

bool LinuxAccessibility::isApplication(const AXElement& e) { return (e.handle() & kApplicationTag) != 0; }
Pid LinuxAccessibility::applicationPid(const AXElement& e) {
    return static_cast<Pid>(static_cast<uint32_t>(e.handle() & 0xFFFFFFFFu));
}

AXElement LinuxAccessibility::applicationElement(Pid pid) {
    return AXElement::fromHandle(kApplicationTag | static_cast<uint32_t>(pid));
}

std::optional<Pid> LinuxAccessibility::pid(const AXElement& element) {
    if (element.isNull()) return std::nullopt;
    if (NewWindowMenu::owns(element)) return NewWindowMenu::pidOf(element);
    if (isApplication(element)) return applicationPid(element);
    return windowPid(static_cast<XWindowId>(element.handle()));
}

std::optional<Pid> LinuxAccessibility::windowPid(XWindowId window) {
    return windowPids(std::span(&window, 1)).front();
}

std::vector<std::optional<Pid>> LinuxAccessibility::windowPids(std::span<const XWindowId> windows) {
    std::vector<std::optional<Pid>> pids(windows.size());
    std::vector<XWindowId> unknown;
    std::vector<size_t> where;
    for (size_t i = 0; i < windows.size(); ++i) {
        if (auto it = pidCache_.find(windows[i]); it != pidCache_.end()) {
            pids[i] = it->second;
        } else if (!noOwner_.contains(windows[i])) {
            unknown.push_back(windows[i]);
            where.push_back(i);
        }
    }
    if (unknown.empty()) return pids;
    const auto owners = x_.windowOwners(unknown);
    for (size_t k = 0; k < unknown.size(); ++k) {
        const auto& o = owners[k];
        std::optional<Pid> pid;
        if (o.windowExists) pid = o.serverPid ? o.serverPid : o.claimedPid;
        pids[where[k]] = pid;
        // A negative answer is kept only while the id is listed: the list's change lets it go,
        // so no id outside it can fill the cache.
        if (pid) pidCache_[unknown[k]] = *pid;
        else if (listedAnywhere(unknown[k])) noOwner_.insert(unknown[k]);
    }
    return pids;
}

bool LinuxAccessibility::isProcessTrusted() {
    if (trusted_) return *trusted_;
    auto manager = x_.windowManager();
    // A window manager that leaves is most often being replaced (`--replace`, or restarted by
    // its session): its successor is waited for a while, so that what asked for window control
    // goes on with the new one and nobody is told that none is there. Measured from the old
    // one's leaving to the new one's announcement: Openbox 0.1 s, KWin 0.2 s, Xfwm 0.5 s.
    // It is waited for until it has taken the windows in as well (it lists them anew): KWin
    // announces itself first, and places again a window moved before it manages it.
    if (!manager && managerLeftAt_) {
        const std::chrono::duration<double> since = std::chrono::steady_clock::now() - *managerLeftAt_;
        if (const double left = kReplacementGraceSeconds - since.count(); left > 0) {
            const uint64_t writes = clientListWrites_;
            x_.waitFor([&] { return clientListWrites_ != writes && (manager = x_.windowManager()).has_value(); }, left);
            if (!manager) manager = x_.windowManager();
        }
    }
    trusted_ = manager.has_value();
    if (manager && !manager->name.empty()) lastManager_ = manager->name;
    restoreWays_ = {};  // learnt again of this manager
    // A window manager that exits or crashes may leave the root's check property behind, but its
    // check window goes with it: its destruction is what tells us window control has ended.
    wmCheckWindow_ = 0;
    if (*trusted_) {
        if (x_.selectInput(manager->witness, X11EventMask::structure).ok())
            wmCheckWindow_ = manager->witness;
        else
            trusted_ = false;  // gone since we asked
    }
    // Whether the manager answers round trips is learnt now, unawaited, not at the first move.
    if (*trusted_) x_.probeWindowManager();
    const auto supported = x_.atomList(x_.root(), "_NET_SUPPORTED");
    moveResizeMessage_ = supported && std::find(supported->begin(), supported->end(),
                                                x_.atom("_NET_MOVERESIZE_WINDOW")) != supported->end();
    return *trusted_;
}

// There is nothing to grant on X11: the prompt says why window control is missing.
bool LinuxAccessibility::isProcessTrustedWithPrompt(bool prompt) {
    const bool trusted = isProcessTrusted();
    if (!trusted && prompt && prompt_) prompt_(lastManager_);
    return trusted;
}

std::optional<uint32_t> LinuxAccessibility::windowNumber(const AXElement& window) {
    if (window.isNull() || isApplication(window)) return std::nullopt;
    return static_cast<uint32_t>(window.handle());
}

AXError LinuxAccessibility::setMessagingTimeout(const AXElement& element, float seconds) {
    if (element.isNull() || seconds < 0) return AXError::illegalArgument;
    if (seconds == 0) timeouts_.erase(element.handle());
    else timeouts_[element.handle()] = seconds;
    return AXError::success;
}

double LinuxAccessibility::timeoutFor(const AXElement& element) const {
    if (auto it = timeouts_.find(element.handle()); it != timeouts_.end()) return it->second;
    if (!isApplication(element)) {
        auto cached = pidCache_.find(static_cast<XWindowId>(element.handle()));
        if (cached != pidCache_.end()) {
            auto app = timeouts_.find(kApplicationTag | static_cast<uint32_t>(cached->second));
            if (app != timeouts_.end()) return app->second;
        }
    }
    return kDefaultMessagingTimeout;
}

Point LinuxAccessibility::origin() {
    if (!origin_) origin_ = screens_.primaryRootOrigin();
    return *origin_;
}

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

std::optional<WindowFrame> LinuxAccessibility::windowFrame(XWindowId window, bool fresh) {
    auto g = fresh ? x_.freshGeometry(window) : x_.geometry(window);
    if (!g) return std::nullopt;
    WindowFrame f;
    f.client = g->rootRect;
    f.borderWidth = g->borderWidth;
    // A full-screen window shows no decorations, whatever extents its manager left behind
    // (Marco keeps those of its title bar).
    const auto s = state(window);
    if (!s || !s->fullScreen)
        f.decorations = FrameExtents::fromCardinals(x_.cardinals(window, "_NET_FRAME_EXTENTS")).value_or(FrameExtents{});
    f.shadow = FrameExtents::fromCardinals(x_.cardinals(window, "_GTK_FRAME_EXTENTS")).value_or(FrameExtents{});
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

AXAttributeResult LinuxAccessibility::copyAttribute(const AXElement& element, std::string_view attribute) {
    if (element.isNull()) return error(AXError::illegalArgument);
    if (!isProcessTrusted()) return error(AXError::apiDisabled);
    if (NewWindowMenu::owns(element)) return newWindowMenu_.attribute(element, attribute);
    if (isApplication(element)) return applicationAttribute(applicationPid(element), attribute);
    return windowAttribute(static_cast<XWindowId>(element.handle()), attribute);
}

AXAttributeResult LinuxAccessibility::applicationAttribute(Pid pid, std::string_view attribute) {
    if (!processExists(pid)) return error(AXError::cannotComplete);
    if (attribute == ax::kRole) return value(AXValue::string(ax::kRoleApplication));
    if (attribute == ax::kTitle) {
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string name;
        if (std::getline(comm, name) && !name.empty()) return value(AXValue::string(name));
        return error(AXError::noValue);
    }
    if (attribute == ax::kWindows) {
        std::vector<AXElement> elements;
        const auto windows = windowsOf(pid);
        // Their frames are what is asked next: one batch.
        x_.desktop().prefetchGeometry(windows);
        for (XWindowId w : windows) elements.push_back(AXElement::fromHandle(w));
        return value(AXValue::elements(elements));
    }
    if (attribute == ax::kFocusedWindow || attribute == ax::kMainWindow) {
        if (auto w = mainWindowOf(pid)) return value(AXValue::element(AXElement::fromHandle(*w)));
        return error(AXError::noValue);
    }
    if (attribute == ax::kMenuBar)
        if (auto bar = newWindowMenu_.menuBar(pid)) return value(AXValue::element(*bar));
    if (attribute == ax::kMenuBar || attribute == ax::kChildren) return error(AXError::noValue);
    return error(AXError::attributeUnsupported);
}

AXAttributeResult LinuxAccessibility::windowAttribute(XWindowId window, std::string_view attribute) {
    auto missing = [&]() {
        return x_.windowExists(window) ? error(AXError::noValue) : error(AXError::invalidUIElement);
    };
    if (attribute == ax::kRole) {
        return x_.windowExists(window) ? value(AXValue::string(ax::kRoleWindow))
                                       : error(AXError::invalidUIElement);
    }
    if (attribute == ax::kSubrole) {
        if (!x_.windowExists(window)) return error(AXError::invalidUIElement);
        if (auto s = subrole(window)) return value(AXValue::string(*s));
        return error(AXError::noValue);
    }
    if (attribute == ax::kTitle) {
        if (auto t = x_.text(window, "_NET_WM_NAME")) return value(AXValue::string(*t));
        if (auto t = x_.text(window, "WM_NAME")) return value(AXValue::string(*t));
        return missing();
    }
    if (attribute == ax::kPosition || attribute == ax::kSize) {
        auto f = visibleFrame(window);
        if (!f) return error(AXError::invalidUIElement);
        f = axPoints(*f);
        return attribute == ax::kPosition ? value(AXValue::point(f->origin)) : value(AXValue::size(f->size));
    }
    if (attribute == ax::kResizeIncrements) {
        auto hints = x_.normalHints(window);
        if (!hints) return missing();
        if (hints->resizeIncrements && (hints->resizeIncrements->width > 1 || hints->resizeIncrements->height > 1))
            return value(AXValue::size(*hints->resizeIncrements));
        return error(AXError::noValue);
    }
    if (attribute == ax::kMinimized || attribute == ax::kFullScreen) {
        auto s = state(window);
        if (!s) return error(AXError::invalidUIElement);
        return value(AXValue::boolean(attribute == ax::kMinimized ? s->minimized : s->fullScreen));
    }
    if (attribute == ax::kMain) {
        auto owner = windowPid(window);
        if (!owner || !x_.windowExists(window)) return error(AXError::invalidUIElement);
        return value(AXValue::boolean(mainWindowOf(*owner) == window));
    }
    if (attribute == ax::kDocument) {
        const auto title = windowAttribute(window, ax::kTitle).value.asString();
        const auto owner = windowPid(window);
        if (title && owner)
            if (auto url = documents_.documentURL(window, *owner, *title)) return value(AXValue::string(*url));
        return missing();
    }
    if (attribute == ax::kIdentifier || attribute == ax::kChildren) {
        return x_.windowExists(window) ? error(AXError::noValue) : error(AXError::invalidUIElement);
    }
    return x_.windowExists(window) ? error(AXError::attributeUnsupported) : error(AXError::invalidUIElement);
}

Rect LinuxAccessibility::axPoints(const Rect& axPixels) {
    const Point o = origin();
    return screens_.pointSpace().pointsFromPixels(axPixels.offsetBy(o.x, o.y)).offsetBy(-o.x, -o.y);
}

Rect LinuxAccessibility::axPixels(const Rect& axPoints) {
    const Point o = origin();
    return screens_.pointSpace().pixelsFromPoints(axPoints.offsetBy(o.x, o.y)).offsetBy(-o.x, -o.y);
}

AXError LinuxAccessibility::setAttribute(const AXElement& element, std::string_view attribute,
                                         const AXValue& v) {
    // A position or size in points becomes whole pixels with the rest of the frame the window has
    // (so that its edges round as a whole frame's would); everything else is taken as it is.
    if ((attribute != ax::kPosition && attribute != ax::kSize) || element.isNull() || isApplication(element) ||
        NewWindowMenu::owns(element))
        return setAttributeInPixels(element, attribute, v);
    const auto current = visibleFrame(static_cast<XWindowId>(element.handle()));
    if (!current) return setAttributeInPixels(element, attribute, v);
    const Rect now = axPoints(*current);
    if (attribute == ax::kPosition) {
        const auto p = v.asPoint();
        if (!p) return setAttributeInPixels(element, attribute, v);
        return setAttributeInPixels(element, attribute, AXValue::point(axPixels(Rect(*p, now.size)).origin));
    }
    const auto size = v.asSize();
    if (!size || size->width <= 0 || size->height <= 0) return setAttributeInPixels(element, attribute, v);
    return setAttributeInPixels(element, attribute, AXValue::size(axPixels(Rect(now.origin, *size)).size));
}

Accessibility::FrameWrite LinuxAccessibility::setFrame(const AXElement& element, const Rect& target) {
    const FrameRequest request{element, target};
    return setFrames(std::span(&request, 1)).front();
}

std::vector<Accessibility::FrameWrite> LinuxAccessibility::setFrames(std::span<const FrameRequest> requests) {
    // The targets in whole pixels, the frames read back in points.
    std::vector<FrameRequest> inPixels(requests.begin(), requests.end());
    for (auto& request : inPixels) {
        if (request.window.isNull() || isApplication(request.window) || NewWindowMenu::owns(request.window))
            continue;
        Rect& f = request.frame;
        if (f.width() > 0 && f.height() > 0) {
            f = axPixels(f);
        } else {
            // Refused for its size; its position still goes through.
            f.origin = axPixels(Rect(f.origin, Size{0, 0})).origin;
        }
    }
    auto written = setFramesInPixels(inPixels);
    for (auto& w : written)
        if (w.frame) w.frame = axPoints(*w.frame);
    return written;
}

Accessibility::FrameWrite LinuxAccessibility::setFrameInPixels(const AXElement& window, const Rect& frame) {
    // As the port's own setFrame, in pixels.
    const bool firstSize = setAttributeInPixels(window, ax::kSize, AXValue::size(frame.size)) == AXError::success;
    const bool moved = setAttributeInPixels(window, ax::kPosition, AXValue::point(frame.origin)) == AXError::success;
    const bool secondSize = setAttributeInPixels(window, ax::kSize, AXValue::size(frame.size)) == AXError::success;
    return {firstSize || secondSize, moved};
}

AXError LinuxAccessibility::setAttributeInPixels(const AXElement& element, std::string_view attribute,
                                                 const AXValue& v) {
    if (element.isNull()) return AXError::illegalArgument;
    if (!isProcessTrusted()) return AXError::apiDisabled;
    if (NewWindowMenu::owns(element)) return AXError::attributeUnsupported;
    if (isApplication(element)) {
        return processExists(applicationPid(element)) ? AXError::attributeUnsupported
                                                      : AXError::cannotComplete;
    }
    const XWindowId window = static_cast<XWindowId>(element.handle());
    const double timeout = timeoutFor(element);

    if (attribute == ax::kPosition || attribute == ax::kSize) {
        const auto frame = windowFrame(window);
        if (!frame) return AXError::invalidUIElement;
        const Point o = origin();
        const Rect current = frame->visible().offsetBy(-o.x, -o.y);
        // Already there (the repeated size write of a placement, mostly): nothing to ask.
        auto same = [](double a, double b) { return std::lround(a) == std::lround(b); };
        if (attribute == ax::kPosition) {
            auto p = v.asPoint();
            if (!p) return AXError::illegalArgument;
            if (same(p->x, current.minX()) && same(p->y, current.minY())) return AXError::success;
            return moveResize(window, *frame, *p, std::nullopt, timeout);
        }
        auto size = v.asSize();
        if (!size || size->width <= 0 || size->height <= 0) return AXError::illegalArgument;
        if (same(size->width, current.width()) && same(size->height, current.height()))
            return AXError::success;
        return moveResize(window, *frame, std::nullopt, *size, timeout);
    }
    if (attribute == ax::kMinimized || attribute == ax::kFullScreen || attribute == ax::kMain) {
        auto flag = v.asBoolean();
        if (!flag) return AXError::illegalArgument;
        auto s = state(window);
        if (!s) return AXError::invalidUIElement;
        if (attribute == ax::kMinimized) {
            if (*flag == s->minimized) return AXError::success;
            if (*flag) {
                x_.requestIconify(window);
            } else {
                // ICCCM: mapping an iconic window makes it normal again. Managers that ignore
                // that (Openbox) restore it on activation instead.
                noteRestoring({window});
                x_.requestMap(window);
                if (!x_.windowManagerRoundTrip(timeout)) return AXError::cannotComplete;
                // A manager that does not answer round trips has not necessarily acted yet: its
                // state change tells when it has.
                if (x_.windowManagerDeclinesPings())
                    x_.waitFor([&] { const auto now = state(window); return !now || !now->minimized; },
                               std::min(timeout, kRestoreBound));
                auto after = state(window);
                if (!after) return AXError::invalidUIElement;
                if (!after->minimized) return AXError::success;
                x_.requestActivate(window);
            }
        } else if (attribute == ax::kFullScreen) {
            if (*flag == s->fullScreen) return AXError::success;
            x_.requestWmState(window, *flag ? 1 : 0, "_NET_WM_STATE_FULLSCREEN");
        } else {
            if (!*flag) return AXError::success;
            x_.requestActivate(window);
        }
        if (!x_.windowManagerRoundTrip(timeout)) return AXError::cannotComplete;
        return x_.windowExists(window) ? AXError::success : AXError::invalidUIElement;
    }
    return x_.windowExists(window) ? AXError::attributeUnsupported : AXError::invalidUIElement;
}

AXError LinuxAccessibility::performAction(const AXElement& element, std::string_view action) {
    if (element.isNull()) return AXError::illegalArgument;
    if (!isProcessTrusted()) return AXError::apiDisabled;
    if (NewWindowMenu::owns(element)) return newWindowMenu_.performAction(element, action);
    if (isApplication(element) || (action != ax::kRaise && action != ax::kRaiseUnfocused))
        return kActionUnsupported;
    const XWindowId window = static_cast<XWindowId>(element.handle());
    auto s = state(window);
    if (!s) return AXError::invalidUIElement;
    if (action == ax::kRaiseUnfocused) {
        x_.requestRaise(window);
        if (!x_.windowManagerRoundTrip(timeoutFor(element))) return AXError::cannotComplete;
        return x_.windowExists(window) ? AXError::success : AXError::invalidUIElement;
    }
    // _NET_ACTIVE_WINDOW focuses and (in every EWMH manager) restores a minimized window, and
    // raises it in most; it is restacked as well, since IceWM only focuses it and managers may
    // leave a window that takes no input where it is.
    x_.requestActivate(window);
    x_.requestRaise(window);
    if (!x_.windowManagerRoundTrip(timeoutFor(element))) return AXError::cannotComplete;
    return x_.windowExists(window) ? AXError::success : AXError::invalidUIElement;
}

}  // namespace tessane::linux_backend
