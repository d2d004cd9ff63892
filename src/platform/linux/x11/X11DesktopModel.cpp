#include "platform/linux/x11/X11DesktopModel.h"

#include <algorithm>
#include <unordered_set>

namespace tessane::linux_backend {

X11DesktopModel::X11DesktopModel(X11Connection& x)
    : x_(x),
      arrivals_(x.onArrival([this](const X11Event& e) { note(e); })),
      written_(x.onPropertyWritten([this](XWindowId window, XAtomId atom) { forget(window, atom); })) {}

uint64_t X11DesktopModel::version() {
    x_.peekQueuedEvents();
    return version_;
}

uint64_t X11DesktopModel::version(std::initializer_list<XAtomId> atoms) {
    x_.peekQueuedEvents();
    uint64_t latest = structureVersion_;
    for (XAtomId atom : atoms)
        if (const auto it = atomVersions_.find(atom); it != atomVersions_.end()) latest = std::max(latest, it->second);
    return latest;
}

void X11DesktopModel::note(const X11Event& e) {
    using K = X11Event::Kind;
    if (e.eventWindow == x_.root() && e.window != x_.root() &&
        (e.kind == K::configure || e.kind == K::map || e.kind == K::unmap || e.kind == K::reparent ||
         e.kind == K::create || e.kind == K::destroy || e.kind == K::circulate)) {
        // A window that bypasses the manager and holds no window known here (a menu, a tooltip,
        // another program's override-redirect windows raised without pause) moves in the order
        // without moving any frame among the others: that counts for nothing.
        const bool followed = rootStacking_.has_value();
        const bool bystander = e.kind == K::configure && e.overrideRedirect && !held_.count(e.window);
        if (followStacking(e) && !(bystander && followed && rootStacking_)) ++stackingVersion_;
        followChildState(e);
    }
    switch (e.kind) {
    case K::property:
        if (e.window == x_.root()) {
            if (root_.erase(e.atom)) changed(e.atom);
            if (e.atom == x_.atom("_NET_CLIENT_LIST")) {
                clientListStale_ = true;
                changed();
            } else if (e.atom == x_.atom("_NET_WORKAREA")) {
                // A window manager's new work area may follow a change of monitors not yet
                // heard of: both are read again.
                monitors_.reset();
                rootSize_.reset();
            }
        } else if (auto it = clientProps_.find(e.atom); it != clientProps_.end() && it->second.erase(e.window)) {
            changed(e.atom);
        }
        break;
    case K::configure:
    case K::map:
    case K::unmap:
    case K::reparent:
    case K::create:
        if (e.window == x_.root()) {
            ++geometryGeneration_;
        } else if (e.eventWindow == x_.root()) {
            rootChildChanged(e);
        } else {
            geometry_.erase(e.window);
            // Moved between windows below the root (heard on the window itself): its frame is
            // asked again.
            if (e.kind == K::reparent) forgetFrame(e.window);
        }
        if (e.window == x_.root()) rootSize_.reset();
        break;
    case K::destroy:
        // A known frame takes the windows it held with it, a window known in its frame nothing
        // else; any other window, unless it is ours or was made while we watched, may have been
        // a frame of windows we do not know to be in it.
        if (!held_.count(e.window) && !frameOf_.count(e.window) && !x_.madeByThisProcess(e.window) &&
            !madeWhileWatched(e.window))
            ++geometryGeneration_;
        forgetWindow(e.window);
        rootChildren_.erase(e.window);
        holdingUnknown_.erase(e.window);
        changed();
        break;
    case K::screensChanged:
        monitors_.reset();
        rootSize_.reset();
        edids_.clear();
        outputNames_.clear();
        ++geometryGeneration_;
        break;
    default: break;
    }
}

void X11DesktopModel::rootChildChanged(const X11Event& e) {
    using K = X11Event::Kind;
    if (e.kind == K::configure) {
        // A restack (the manager raising a window it focuses, our panels going up) tells the
        // same frame again: nothing moved.
        const auto [known, first] = rootChildFrames_.try_emplace(e.window, e.rect, e.borderWidth);
        if (!first && known->second == std::pair{e.rect, e.borderWidth}) return;
        known->second = {e.rect, e.borderWidth};
    }
    geometry_.erase(e.window);
    if (e.kind == K::reparent) {
        rootChildFrames_.erase(e.window);  // no longer a child of the root, or not yet heard of as one
        forgetFrame(e.window);
        if (e.parent == x_.root()) {
            rootChildren_.try_emplace(e.window, false);
            setFrame(e.window, e.window);
            return;
        }
        // Out of the root: a frame nested into another window no longer holds its windows from
        // the root. Into a known child of the root, a window whose own events we hear has that
        // frame (its going is heard). Any other is not kept: nothing would tell us when it goes
        // (a client may put window after window into one of its own and destroy each), and its
        // frame is asked when it is needed, by a climb that hears it first.
        if (rootChildren_.erase(e.window)) frameGone(e.window);
        if (rootChildren_.count(e.parent) && x_.hears(e.window, X11EventMask::structure))
            setFrame(e.window, e.parent);
        return;
    }
    if (e.kind == K::create) {
        rootChildren_[e.window] = true;  // it holds nothing yet
        return;
    }
    rootChildren_.try_emplace(e.window, false);
    if (const auto frame = held_.find(e.window); frame != held_.end()) {
        for (XWindowId w : frame->second) geometry_.erase(w);
        return;
    }
    // One that bypasses the window manager and holds no client (a menu, a tooltip, our own
    // panels), or one made while we watched that holds none, carries nothing we keep.
    if (e.overrideRedirect || x_.madeByThisProcess(e.window) || madeWhileWatched(e.window)) return;
    // One there before we watched is asked once what it holds: holding nothing, it is kept as one
    // made while we watched (Xfwm sizes a window of its own at every show, and all that is kept
    // of a thousand windows was read again after each).
    if (!holdingUnknown_.count(e.window)) {
        askWhatRootChildrenHold(e.window);
        if (madeWhileWatched(e.window)) return;
    }
    // A frame the window manager may have moved another window into without a word to the
    // root or the window (a manager that nests its clients deeper): any of them.
    ++geometryGeneration_;
}

// The others like `window` that the root's stacking names are asked with it, in one exchange: a
// manager's restack tells of each on its own, and a round trip apiece, behind that restack, held
// the main thread.
void X11DesktopModel::askWhatRootChildrenHold(XWindowId window) {
    std::vector<XWindowId> asked{window};
    if (rootStacking_)
        for (XWindowId w : *rootStacking_)
            if (w != window && !holdingUnknown_.count(w) && !held_.count(w) && !madeWhileWatched(w) &&
                !x_.madeByThisProcess(w))
                asked.push_back(w);
    const auto answers = x_.readChildren(std::span<const XWindowId>(asked));
    for (size_t i = 0; i < asked.size(); ++i) {
        if (!answers[i] && asked[i] != window) continue;  // gone: its going is heard
        if (answers[i] && answers[i]->empty()) {
            rootChildren_[asked[i]] = true;
        } else {
            rootChildren_.try_emplace(asked[i], false);
            holdingUnknown_.insert(asked[i]);
        }
    }
}

void X11DesktopModel::forget(XWindowId window, XAtomId atom) {
    if (window == x_.root()) {
        root_.erase(atom);
    } else if (auto it = clientProps_.find(atom); it != clientProps_.end()) {
        it->second.erase(window);
    }
    changed(atom);
}

void X11DesktopModel::forgetWindow(XWindowId window) {
    geometry_.erase(window);
    frameGone(window);
    forgetFrame(window);
    rootChildFrames_.erase(window);
    for (auto& [atom, values] : clientProps_) values.erase(window);
}

void X11DesktopModel::resynchronise() {
    // What the root heard of its children (made, moved, reparented, gone) is all that was dropped:
    // the frames, geometry and stacking learnt from it go, and with them whatever was kept of
    // clients that may have gone unheard. The root's properties were all heard.
    clientListStale_ = true;
    notWindows_.clear();
    clientProps_.clear();
    geometry_.clear();
    ++geometryGeneration_;
    rootChildren_.clear();
    holdingUnknown_.clear();
    frameOf_.clear();
    held_.clear();
    frameHeard_.clear();
    ++framesVersion_;
    rootChildFrames_.clear();
    childStates_.clear();
    if (rootStacking_) {
        rootStacking_.reset();
        ++stackingVersion_;
    }
    changed();
}

void X11DesktopModel::start() {
    if (started_) return;
    // The root's own changes and its children's (frames) keep everything here valid.
    started_ = true;
    x_.selectInput(x_.root(), X11EventMask::properties | X11EventMask::substructure | X11EventMask::structure);
}

bool X11DesktopModel::listed(XWindowId window) {
    start();
    if (clientListStale_) refreshClientList();
    return listed_.contains(window);
}

void X11DesktopModel::refreshClientList() {
    clientListStale_ = false;
    const auto list = property(x_.root(), x_.atom("_NET_CLIENT_LIST"));
    std::vector<XWindowId> now;
    if (list && list->format == 32)
        for (long item : list->items) now.push_back(static_cast<XWindowId>(static_cast<unsigned long>(item)));
    listed_ = WindowIdSet(now);
    // An id that left the list may be destroyed and made again by another client: what we
    // asked to hear of it is asked afresh.
    for (XWindowId w : clientList_)
        if (!listed_.contains(w)) x_.forgetEventMask(w);
    clientList_ = std::move(now);
    // What is known of ids that left the list goes with them; they are asked afresh if they
    // come back.
    const auto keep = [this](XWindowId w) { return listed_.contains(w); };
    selected_.keepIf(keep);
    notWindows_.keepIf(keep);
    for (auto& [atom, values] : clientProps_) std::erase_if(values, [&](auto& v) { return !keep(v.first); });
    std::erase_if(geometry_, [&](auto& g) { return g.first != x_.root() && !keep(g.first); });
    // Frames of windows asked about outside the list are asked again when asked for again.
    std::vector<XWindowId> unlisted;
    for (const auto& [w, frame] : frameOf_)
        if (!keep(w)) unlisted.push_back(w);
    for (XWindowId w : unlisted) forgetFrame(w);
    ++framesVersion_;
}

void X11DesktopModel::selectOn(const std::vector<XWindowId>& windows) {
    std::vector<XWindowId> fresh;
    for (XWindowId w : windows)
        if (selected_.insert(w)) fresh.push_back(w);
    x_.addEventMask(fresh, X11EventMask::properties);
}

void X11DesktopModel::fetchForListed(XAtomId atom) {
    const auto& values = clientProps_[atom];
    std::vector<XWindowId> missing;
    listed_.forEach([&](XWindowId w) {
        if (!notWindows_.contains(w) && !values.count(w)) missing.push_back(w);
    });
    fetch(missing, atom);
}

void X11DesktopModel::fetch(const std::vector<XWindowId>& missing, XAtomId atom) {
    if (missing.empty()) return;
    auto& values = clientProps_[atom];
    selectOn(missing);
    // As far as a direct read goes: each property to its own cap (titles a few KiB).
    const auto answers = x_.properties(missing, atom, x_.propertyItemCap(atom));
    for (size_t i = 0; i < missing.size(); ++i) {
        if (!answers[i].windowExists) {
            notWindows_.insert(missing[i]);
            forgetWindow(missing[i]);
        } else {
            values[missing[i]] = answers[i].value;
        }
    }
}

void X11DesktopModel::prefetch(const std::vector<XWindowId>& windows, XAtomId atom) {
    x_.peekQueuedEvents();
    const auto& values = clientProps_[atom];
    std::vector<XWindowId> missing;
    for (XWindowId w : windows)
        if (w != x_.root() && listed(w) && !notWindows_.contains(w) && !values.count(w)) missing.push_back(w);
    fetch(missing, atom);
}

std::vector<std::pair<XWindowId, X11Property>> X11DesktopModel::listedWith(XAtomId atom) {
    x_.peekQueuedEvents();
    listed(x_.root());
    fetchForListed(atom);
    const auto& values = clientProps_[atom];
    std::vector<std::pair<XWindowId, X11Property>> out;
    for (XWindowId w : clientList_)
        if (auto it = values.find(w); it != values.end() && it->second) out.emplace_back(w, *it->second);
    return out;
}

std::optional<X11Property> X11DesktopModel::property(XWindowId window, XAtomId atom) {
    if (window == 0 || atom == 0) return std::nullopt;
    x_.peekQueuedEvents();
    if (window == x_.root()) {
        if (!started_) listed(window);
        if (auto it = root_.find(atom); it != root_.end()) return it->second;
        auto value = x_.readProperty(window, atom);
        root_[atom] = value;
        return value;
    }
    if (!listed(window)) return x_.readProperty(window, atom);
    if (notWindows_.contains(window)) return std::nullopt;
    auto& values = clientProps_[atom];
    if (auto it = values.find(window); it != values.end()) return it->second;
    fetchForListed(atom);
    if (auto it = values.find(window); it != values.end()) return it->second;
    return std::nullopt;
}

std::vector<std::optional<X11Property>> X11DesktopModel::properties(const std::vector<XWindowId>& windows,
                                                                    XAtomId atom) {
    std::vector<std::optional<X11Property>> out;
    out.reserve(windows.size());
    for (auto& answer : propertyAnswers(windows, atom)) out.push_back(std::move(answer.value));
    return out;
}

std::vector<X11PropertyAnswer> X11DesktopModel::propertyAnswers(const std::vector<XWindowId>& windows, XAtomId atom) {
    x_.peekQueuedEvents();
    std::vector<X11PropertyAnswer> out(windows.size());
    std::vector<XWindowId> missing, unlisted;
    std::vector<size_t> unlistedAt;
    {
        const auto& values = clientProps_[atom];
        for (size_t i = 0; i < windows.size(); ++i) {
            const XWindowId w = windows[i];
            if (w == 0 || w == x_.root() || !listed(w)) {
                unlisted.push_back(w);
                unlistedAt.push_back(i);
            } else if (!notWindows_.contains(w) && !values.count(w)) {
                missing.push_back(w);
            }
        }
    }
    fetch(missing, atom);
    const auto& values = clientProps_[atom];
    for (size_t i = 0; i < windows.size(); ++i)
        if (auto it = values.find(windows[i]); it != values.end()) out[i] = {true, it->second};
    // Windows not kept here (the root among them) are read directly, in one batch too.
    auto answers = x_.properties(unlisted, atom, x_.propertyItemCap(atom));
    for (size_t k = 0; k < unlisted.size(); ++k) out[unlistedAt[k]] = std::move(answers[k]);
    return out;
}

bool X11DesktopModel::keeps(XWindowId window) { return window == x_.root() || listed(window); }

bool X11DesktopModel::windowExists(XWindowId window) {
    if (window == 0) return false;
    if (window != x_.root() && listed(window) && notWindows_.contains(window)) return false;
    return geometry(window).has_value();
}

std::optional<X11WindowGeometry> X11DesktopModel::geometry(XWindowId window) {
    if (window == 0) return std::nullopt;
    x_.peekQueuedEvents();
    if (window != x_.root() && !listed(window)) return x_.readGeometry(window);
    if (auto it = geometry_.find(window); it != geometry_.end() && it->second.generation == geometryGeneration_)
        return it->second.value;
    prefetchGeometry({window});
    return geometry_[window].value;
}

void X11DesktopModel::prefetchGeometry(const std::vector<XWindowId>& windows) {
    x_.peekQueuedEvents();
    std::vector<XWindowId> missing;
    for (XWindowId w : windows) {
        if (w == 0 || (w != x_.root() && !listed(w))) continue;
        auto it = geometry_.find(w);
        if (it == geometry_.end() || it->second.generation != geometryGeneration_) missing.push_back(w);
    }
    if (missing.empty()) return;
    // A window manager resizes a frame and then, in a request of its own, the client inside it;
    // only the frame's change reaches the root. A client read in between would be kept at its
    // old size, so every client kept here tells of its own changes (asked before it is read).
    std::vector<XWindowId> clients;
    for (XWindowId w : missing)
        if (w != x_.root()) clients.push_back(w);
    x_.addEventMask(clients, X11EventMask::structure);
    // What moves a client is its frame: known before the client is kept.
    climb(clients);
    const auto answers = x_.geometries(missing);
    for (size_t i = 0; i < missing.size(); ++i) {
        geometry_[missing[i]] = {geometryGeneration_, answers[i]};
        // A listed client that is no window any more (its manager has not yet taken it off the
        // list): nothing kept of it holds.
        if (!answers[i] && missing[i] != x_.root() && notWindows_.insert(missing[i])) {
            for (auto& [atom, values] : clientProps_) values.erase(missing[i]);
            changed();
        }
    }
}

const std::vector<XWindowId>& X11DesktopModel::rootStacking() {
    start();
    x_.peekQueuedEvents();
    if (!rootStacking_) rootStacking_ = x_.readChildren(x_.root(), &stackingSerial_).value_or(std::vector<XWindowId>{});
    return *rootStacking_;
}

std::vector<std::optional<X11WindowGeometry>> X11DesktopModel::rootChildStates(const std::vector<XWindowId>& windows) {
    start();
    x_.peekQueuedEvents();
    std::vector<XWindowId> missing;
    for (XWindowId w : windows)
        if (!childStates_.count(w)) missing.push_back(w);
    if (!missing.empty()) {
        // Only children of the root as far as the root has told: what the root hears keeps them.
        const auto& order = rootStacking();
        const std::unordered_set<XWindowId> children(order.begin(), order.end());
        std::erase_if(missing, [&](XWindowId w) { return !children.count(w); });
        // The root's events about these that are older than the answers are taken in after
        // them; each sets what it tells outright, so the last leaves what the server holds.
        const auto answers = x_.geometries(missing);
        for (size_t i = 0; i < missing.size(); ++i) childStates_[missing[i]] = answers[i];
    }
    std::vector<std::optional<X11WindowGeometry>> out;
    out.reserve(windows.size());
    for (XWindowId w : windows) {
        const auto kept = childStates_.find(w);
        out.push_back(kept == childStates_.end() ? std::nullopt : kept->second);
    }
    return out;
}

void X11DesktopModel::followChildState(const X11Event& e) {
    using K = X11Event::Kind;
    // Made or moved in: read when asked. Gone or moved out: no longer a child of the root.
    if (e.kind == K::create || e.kind == K::reparent || e.kind == K::destroy) {
        childStates_.erase(e.window);
        return;
    }
    const auto it = childStates_.find(e.window);
    if (it == childStates_.end() || !it->second || e.synthetic) return;
    X11WindowGeometry& state = *it->second;
    if (e.kind == K::configure) {
        state.rootRect = Rect(e.rect.origin.x + e.borderWidth, e.rect.origin.y + e.borderWidth, e.rect.size.width,
                              e.rect.size.height);
        state.borderWidth = e.borderWidth;
        state.overrideRedirect = e.overrideRedirect;
    } else if (e.kind == K::map) {
        state.viewable = true;
        state.overrideRedirect = e.overrideRedirect;
    } else if (e.kind == K::unmap) {
        state.viewable = false;
    }
}

bool X11DesktopModel::followStacking(const X11Event& e) {
    using K = X11Event::Kind;
    if (e.kind == K::map || e.kind == K::unmap) return false;
    // A client's own event says nothing of the server's order; one the server sent before it
    // answered the read is in what it answered.
    if (!rootStacking_ || e.synthetic ||
        static_cast<int32_t>(static_cast<uint32_t>(e.serial) - static_cast<uint32_t>(stackingSerial_)) < 0)
        return true;
    auto& order = *rootStacking_;
    switch (e.kind) {
    case K::create:  // a new window goes on top of its siblings, and so does one reparented in
    case K::reparent:
        std::erase(order, e.window);
        if (e.kind == K::create || e.parent == x_.root()) order.push_back(e.window);
        return true;
    case K::destroy: std::erase(order, e.window); return true;
    case K::configure: {
        const auto at = std::find(order.begin(), order.end(), e.window);
        if (at == order.end()) break;
        // Moved or sized where it lies: most configures (every window a show places).
        if (e.aboveSibling ? at != order.begin() && *(at - 1) == e.aboveSibling : at == order.begin()) return false;
        order.erase(at);
        if (!e.aboveSibling) {
            order.insert(order.begin(), e.window);
            return true;
        }
        const auto below = std::find(order.begin(), order.end(), e.aboveSibling);
        if (below == order.end()) break;
        order.insert(below + 1, e.window);
        return true;
    }
    default: break;  // a circulation: asked again
    }
    rootStacking_.reset();
    return true;
}

std::vector<X11Monitor> X11DesktopModel::monitors() {
    x_.peekQueuedEvents();
    if (!monitors_) monitors_ = x_.readMonitors();
    return *monitors_;
}

Size X11DesktopModel::rootSize() {
    x_.peekQueuedEvents();
    if (!rootSize_) rootSize_ = x_.readRootSize();
    return *rootSize_;
}

std::optional<std::vector<uint8_t>> X11DesktopModel::outputEdid(unsigned long output) {
    x_.peekQueuedEvents();
    if (auto it = edids_.find(output); it != edids_.end()) return it->second;
    return edids_[output] = x_.readOutputEdid(output);
}

std::optional<std::string> X11DesktopModel::outputName(unsigned long output) {
    x_.peekQueuedEvents();
    if (auto it = outputNames_.find(output); it != outputNames_.end()) return it->second;
    return outputNames_[output] = x_.readOutputName(output);
}

}  // namespace tessane::linux_backend
