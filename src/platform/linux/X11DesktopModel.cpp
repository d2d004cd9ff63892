#include "platform/linux/X11DesktopModel.h"

namespace tessane::linux_backend {

namespace {

constexpr long kStructureNotifyMask = 1L << 17;
constexpr long kSubstructureNotifyMask = 1L << 19;
constexpr long kPropertyChangeMask = 1L << 22;

}  // namespace

X11DesktopModel::X11DesktopModel(X11Connection& x) : x_(x) {}

uint64_t X11DesktopModel::version() {
    x_.peekQueuedEvents();
    return version_;
}

void X11DesktopModel::note(const X11Event& e) {
    using K = X11Event::Kind;
    switch (e.kind) {
    case K::property:
        if (e.window == x_.root()) {
            if (root_.erase(e.atom)) changed();
            if (e.atom == x_.atom("_NET_CLIENT_LIST")) {
                clientListStale_ = true;
                changed();
            } else if (e.atom == x_.atom("_NET_WORKAREA")) {
                // Monitors set up by hand (RandR's virtual monitors) come and go without an
                // event of their own; the window manager's new work area tells of them.
                monitors_.reset();
                rootSize_.reset();
            }
        } else if (auto it = clientProps_.find(e.atom); it != clientProps_.end() && it->second.erase(e.window)) {
            changed();
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
        }
        if (e.window == x_.root()) rootSize_.reset();
        break;
    case K::destroy:
        // A frame made while we watched takes at most its one window with it.
        if (const auto frame = newFrames_.find(e.window); frame != newFrames_.end())
            geometry_.erase(frame->second);
        else
            ++geometryGeneration_;
        dropWindow(e.window);
        if (e.window == e.eventWindow || e.eventWindow == x_.root()) x_.eventMasks_.erase(e.window);
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
    switch (e.kind) {
    case K::create:
        newFrames_[e.window] = 0;  // it holds no client yet
        return;
    case K::reparent:
        rootChildFrames_.erase(e.window);  // no longer a child of the root, or not yet heard of as one
        if (const auto frame = newFrames_.find(e.parent); frame != newFrames_.end() && frame->second == 0) {
            frame->second = e.window;
            return;
        }
        // Into a window not known to be a root child of its own (a manager that nests its
        // frames), a second client into one frame, or back to the root: which frame holds which
        // client is no longer known.
        newFrames_.clear();
        ++geometryGeneration_;
        return;
    default: break;
    }
    // One that bypasses the manager (a menu, our own panels) is nobody's frame.
    if (e.overrideRedirect) return;
    if (const auto frame = newFrames_.find(e.window); frame != newFrames_.end()) {
        if (frame->second) geometry_.erase(frame->second);
        return;
    }
    // A frame of the window manager took its client with it: any of them.
    ++geometryGeneration_;
}

void X11DesktopModel::forget(XWindowId window, XAtomId atom) {
    if (window == x_.root()) {
        root_.erase(atom);
    } else if (auto it = clientProps_.find(atom); it != clientProps_.end()) {
        it->second.erase(window);
    }
    changed();
}

void X11DesktopModel::dropWindow(XWindowId window) {
    geometry_.erase(window);
    newFrames_.erase(window);
    rootChildFrames_.erase(window);
    for (auto& [atom, values] : clientProps_) values.erase(window);
}

bool X11DesktopModel::listed(XWindowId window) {
    if (!started_) {
        // The root's own changes and its children's (frames) keep everything here valid.
        started_ = true;
        x_.selectInput(x_.root(), kPropertyChangeMask | kSubstructureNotifyMask | kStructureNotifyMask);
    }
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
        if (!listed_.contains(w)) x_.eventMasks_.erase(w);
    clientList_ = std::move(now);
    // What is known of ids that left the list goes with them; they are asked afresh if they
    // come back.
    const auto keep = [this](XWindowId w) { return listed_.contains(w); };
    selected_.keepIf(keep);
    notWindows_.keepIf(keep);
    for (auto& [atom, values] : clientProps_) std::erase_if(values, [&](auto& v) { return !keep(v.first); });
    std::erase_if(geometry_, [&](auto& g) { return g.first != x_.root() && !keep(g.first); });
}

void X11DesktopModel::selectOn(const std::vector<XWindowId>& windows) {
    std::vector<XWindowId> fresh;
    for (XWindowId w : windows)
        if (selected_.insert(w)) fresh.push_back(w);
    x_.addEventMask(fresh, kPropertyChangeMask);
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
            dropWindow(missing[i]);
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
    x_.addEventMask(clients, kStructureNotifyMask);
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
