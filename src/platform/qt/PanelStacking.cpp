#include "platform/qt/PanelStacking.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace tessane::qt_backend {

namespace {

long sent = 0;

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, Free>;

xcb_connection_t* connection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 && x11->display() ? static_cast<xcb_window_t>(DefaultRootWindow(x11->display())) : 0;
}

void stack(xcb_connection_t* c, xcb_window_t window, xcb_window_t sibling, uint32_t mode) {
    if (sibling) {
        const uint32_t values[] = {sibling, mode};
        xcb_configure_window(c, window, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    } else {
        const uint32_t values[] = {mode};
        xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, values);
    }
    ++sent;
}

// Windows made on this connection are ours.
bool madeOn(xcb_connection_t* c, PanelStacking::WindowId w) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    return setup && (w & ~static_cast<PanelStacking::WindowId>(setup->resource_id_mask)) == setup->resource_id_base;
}

// An input-only window stays one, and the popups, menus and tooltips that bypass the window
// manager are made so for good: the chrome never lies on either (a frame that bypasses it, as
// IceWM's and Fluxbox's do, is told apart by the request).
bool isBystander(const PanelStacking::Child& child) { return child.inputOnly || child.overrideRedirect; }

// What the walk learnt of a window of another program.
struct Seen {
    bool viewable = false;
    bool managed = false;  // a frame of a client, or a window not bypassing the window manager
    QRect rect;
};

}  // namespace

long PanelStacking::requestsSent() { return sent; }

std::map<PanelStacking::WindowId, PanelStacking::Shown> PanelStacking::shownFrames(const std::vector<WindowId>& clients) const {
    xcb_connection_t* c = connection();
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    const xcb_window_t root = rootWindow();
    if (!c || !root || !x11 || !x11->display()) return {};
    // Known to Xlib since the panels interned it: asks nothing.
    const auto extentsAtom = static_cast<xcb_atom_t>(XInternAtom(x11->display(), "_NET_FRAME_EXTENTS", False));
    struct Ask {
        WindowId client;
        xcb_get_window_attributes_cookie_t frameShown;
        xcb_get_geometry_cookie_t frame, size;
        xcb_translate_coordinates_cookie_t origin;
        xcb_get_property_cookie_t extents;
    };
    std::vector<Ask> asks;
    for (WindowId w : clients)
        if (const auto f = frames_.find(w); f != frames_.end()) {
            const auto frame = static_cast<xcb_window_t>(f->second), client = static_cast<xcb_window_t>(w);
            asks.push_back({w, xcb_get_window_attributes(c, frame), xcb_get_geometry(c, frame), xcb_get_geometry(c, client),
                            xcb_translate_coordinates(c, client, root, 0, 0),
                            xcb_get_property(c, 0, client, extentsAtom, XCB_ATOM_CARDINAL, 0, 4)});
        }
    std::map<WindowId, Shown> out;
    for (auto& ask : asks) {
        Reply<xcb_get_window_attributes_reply_t> shown(xcb_get_window_attributes_reply(c, ask.frameShown, nullptr));
        Reply<xcb_get_geometry_reply_t> frame(xcb_get_geometry_reply(c, ask.frame, nullptr));
        Reply<xcb_get_geometry_reply_t> size(xcb_get_geometry_reply(c, ask.size, nullptr));
        Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(c, ask.origin, nullptr));
        Reply<xcb_get_property_reply_t> extents(xcb_get_property_reply(c, ask.extents, nullptr));
        if (!shown || !frame || !size || !origin || shown->map_state != XCB_MAP_STATE_VIEWABLE) continue;
        const QRect client(origin->dst_x, origin->dst_y, size->width, size->height);
        // What the manager draws of the frame (_NET_FRAME_EXTENTS) around the client: its frame
        // window may reach further, with borders that only take the pointer or show a shadow
        // (Mutter's, Metacity's), where what lies under it is seen.
        if (extents && extents->format == 32 && xcb_get_property_value_length(extents.get()) == 16) {
            const auto* e = static_cast<const uint32_t*>(xcb_get_property_value(extents.get()));
            const auto edge = [](uint32_t v) { return static_cast<int>(std::min<uint32_t>(v, 4096)); };
            out[ask.client] = {client.adjusted(-edge(e[0]), -edge(e[2]), edge(e[1]), edge(e[3])), client};
        } else {
            out[ask.client] = {
                QRect(frame->x, frame->y, frame->width + 2 * frame->border_width, frame->height + 2 * frame->border_width),
                client};
        }
    }
    return out;
}

int PanelStacking::keepOrder(const std::vector<WindowId>& group) const {
    xcb_connection_t* c = connection();
    if (!c || group.size() < 2) return 0;
    const auto children = rootChildren();
    if (!children) return 0;
    std::map<WindowId, long> position;
    for (size_t i = 0; i < children->size(); ++i) position[(*children)[i]] = static_cast<long>(i);
    const auto at = [&](WindowId w) { return position.count(w) ? position[w] : -1L; };
    if (std::any_of(group.begin(), group.end(), [&](WindowId w) { return at(w) < 0; })) return 0;
    bool inPlace = true;
    for (size_t i = 0; i + 1 < group.size() && inPlace; ++i) inPlace = at(group[i]) > at(group[i + 1]);
    if (inPlace) return 0;
    const long before = sent;
    for (size_t i = group.size() - 1; i > 0; --i)
        stack(c, static_cast<xcb_window_t>(group[i - 1]), static_cast<xcb_window_t>(group[i]), XCB_STACK_MODE_ABOVE);
    xcb_flush(c);
    return static_cast<int>(sent - before);
}

PanelStacking::~PanelStacking() {
    if (xcb_connection_t* c = connection(); c && herald_) {
        xcb_destroy_window(c, static_cast<xcb_window_t>(herald_));
        xcb_flush(c);
    }
}

int PanelStacking::announceRestack() {
    xcb_connection_t* c = connection();
    const xcb_window_t root = rootWindow();
    if (!c || !root) return 0;
    if (!herald_) {
        // Input-only, bypassing the window manager and never mapped: nobody sees it or frames it.
        const auto id = xcb_generate_id(c);
        const uint32_t bypass[] = {1};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, id, root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, bypass);
        herald_ = id;
        heraldOnTop_ = true;  // made on top of its siblings
    }
    // From the top to the bottom or back: a move whichever windows came or went since.
    heraldOnTop_ = !heraldOnTop_;
    stack(c, static_cast<xcb_window_t>(herald_), 0, heraldOnTop_ ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW);
    return 1;
}

std::optional<std::vector<PanelStacking::WindowId>> PanelStacking::rootChildren() const {
    if (desktop_.rootStacking) return desktop_.rootStacking();
    xcb_connection_t* c = connection();
    const xcb_window_t root = rootWindow();
    if (!c || !root) return std::nullopt;
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    if (!tree) return std::nullopt;
    const xcb_window_t* kids = xcb_query_tree_children(tree.get());
    return std::vector<WindowId>(kids, kids + xcb_query_tree_children_length(tree.get()));
}

std::vector<std::optional<PanelStacking::Child>> PanelStacking::describe(const std::vector<WindowId>& windows) const {
    if (desktop_.children) return desktop_.children(windows);
    std::vector<std::optional<Child>> out(windows.size());
    xcb_connection_t* c = connection();
    if (!c) return out;
    std::vector<std::pair<xcb_get_window_attributes_cookie_t, xcb_get_geometry_cookie_t>> asks;
    for (WindowId w : windows)
        asks.push_back({xcb_get_window_attributes(c, static_cast<xcb_window_t>(w)), xcb_get_geometry(c, static_cast<xcb_window_t>(w))});
    for (size_t i = 0; i < asks.size(); ++i) {
        Reply<xcb_get_window_attributes_reply_t> a(xcb_get_window_attributes_reply(c, asks[i].first, nullptr));
        Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, asks[i].second, nullptr));
        if (a && g)
            out[i] = Child{QRect(g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width),
                           a->map_state == XCB_MAP_STATE_VIEWABLE, a->override_redirect != 0,
                           a->_class == XCB_WINDOW_CLASS_INPUT_ONLY};
    }
    return out;
}

void PanelStacking::learnBystanders() {
    xcb_connection_t* c = connection();
    if (!c || !rootWindow()) return;
    const auto children = rootChildren();
    if (!children) return;
    std::vector<WindowId> others;
    for (WindowId w : *children)
        if (!madeOn(c, w)) others.push_back(w);
    const auto states = describe(others);
    for (size_t i = 0; i < others.size(); ++i)
        if (states[i] && isBystander(*states[i])) bystanders_.insert(others[i]);
}

int PanelStacking::apply(const Request& request) {
    xcb_connection_t* c = connection();
    const xcb_window_t root = rootWindow();
    if (!c || !root || (request.chromeTopFirst.empty() && request.cardsTopFirst.empty() && request.topTopFirst.empty()))
        return 0;
    const long before = sent;

    const auto read = rootChildren();
    if (!read) return 0;
    const std::vector<WindowId>& children = *read;
    std::map<WindowId, long> position;
    for (size_t i = 0; i < children.size(); ++i) position[children[i]] = static_cast<long>(i);

    // The frames of our managed windows, looked up (one level per round trip, all at once) only
    // for those whose frame is not known or no longer a child of the root.
    std::set<WindowId> pending;
    for (WindowId w : request.ownWindows) pending.insert(w);
    for (WindowId w : request.mats) pending.insert(w);
    std::map<WindowId, WindowId> climbing;  // client -> the window reached so far
    for (WindowId w : pending) {
        const auto known = frames_.find(w);
        if (known != frames_.end() && position.count(known->second)) continue;
        if (desktop_.frameOf) {
            if (const auto frame = desktop_.frameOf(w)) frames_[w] = *frame;
            continue;
        }
        climbing[w] = w;
    }
    for (int depth = 0; depth < 8 && !climbing.empty(); ++depth) {
        std::vector<std::pair<WindowId, xcb_query_tree_cookie_t>> asks;
        for (auto& [client, at] : climbing) {
            if (position.count(at)) continue;
            asks.push_back({client, xcb_query_tree(c, static_cast<xcb_window_t>(at))});
        }
        for (auto& [client, cookie] : asks) {
            Reply<xcb_query_tree_reply_t> up(xcb_query_tree_reply(c, cookie, nullptr));
            if (!up || up->parent == XCB_NONE) climbing.erase(client);
            else if (up->parent != root) climbing[client] = up->parent;
        }
        for (auto it = climbing.begin(); it != climbing.end();) {
            if (position.count(it->second)) {
                frames_[it->first] = it->second;
                it = climbing.erase(it);
            } else {
                ++it;
            }
        }
    }
    std::set<WindowId> ownTop, matTop, overCards;
    for (WindowId w : request.ownWindows)
        if (auto f = frames_.find(w); f != frames_.end() && position.count(f->second)) ownTop.insert(f->second);
    for (WindowId w : request.aboveCards)
        if (auto f = frames_.find(w); f != frames_.end() && position.count(f->second)) overCards.insert(f->second);
    WindowId peer = 0;
    if (auto f = frames_.find(request.cardPeer); request.cardPeer && f != frames_.end() && position.count(f->second))
        peer = f->second;
    for (WindowId w : request.mats)
        if (auto f = frames_.find(w); f != frames_.end() && position.count(f->second)) matTop.insert(f->second);
    std::set<WindowId> chromeIds, topIds;
    for (const auto& p : request.chromeTopFirst) chromeIds.insert(p.id);
    for (WindowId w : request.cardsTopFirst) topIds.insert(w);
    for (WindowId w : request.topTopFirst) topIds.insert(w);
    // Windows made on this connection are ours: the ones shown are in the request, the others
    // (unmapped panels kept for reuse, input windows, the toolkit's own helpers) are no reference
    // for the chrome and never in the way of the cards, so they are not read.
    const auto madeHere = [&](WindowId w) { return madeOn(c, w); };

    // From the top down: the reference the chrome lies on, and what lies above it. Windows of
    // other programs are read in pipelined batches, and only as far down as needed.
    const auto overlapsChrome = [&](const QRect& r) {
        return std::any_of(request.chromeTopFirst.begin(), request.chromeTopFirst.end(),
                           [&](const Panel& p) { return p.rect.intersects(r); });
    };
    std::map<WindowId, Seen> seen;
    long reference = -1;  // the index of the window the chrome lies on
    // Windows above the lowest card are all read: the cards must know whether they are shown.
    long lowestCard = static_cast<long>(children.size());
    for (WindowId w : topIds)
        if (position.count(w)) lowestCard = std::min(lowestCard, position[w]);
    std::erase_if(bystanders_, [&](WindowId w) { return !position.count(w); });
    long next = static_cast<long>(children.size()) - 1;
    while (next >= 0 && reference < 0) {
        std::vector<long> batch;
        for (; next >= 0 && batch.size() < 32; --next) {
            const WindowId w = children[static_cast<size_t>(next)];
            if (matTop.count(w)) {
                if (batch.empty()) {
                    reference = next--;
                    break;
                }
                break;  // read what is above it first
            }
            if (chromeIds.count(w) || topIds.count(w) || ownTop.count(w) || madeHere(w)) continue;
            // A frame learnt as a bystander before it held its client (made override-redirect,
            // then given one) is read all the same.
            if (next < lowestCard && bystanders_.count(w) && !request.clientFrames.count(w)) continue;
            batch.push_back(next);
        }
        std::vector<WindowId> windows;
        for (long index : batch) windows.push_back(children[static_cast<size_t>(index)]);
        const auto states = describe(windows);
        for (size_t i = 0; i < batch.size(); ++i) {
            if (!states[i]) continue;
            const Child& child = *states[i];
            const WindowId w = windows[i];
            const bool frame = request.clientFrames.count(w) != 0;
            const Seen s{child.viewable && !child.inputOnly, frame || !child.overrideRedirect, child.rect};
            seen[w] = s;
            if (isBystander(child) && !frame) bystanders_.insert(w);  // not read again
            if (reference < 0 && s.viewable && s.managed && overlapsChrome(s.rect)) reference = batch[i];
        }
    }

    // An input-only window a manager lays over a frame, enclosing it (KWin's, to resize a window
    // by a border it does not draw), belongs to that frame: the chrome lies above it too, or the
    // part of the rail it covers sends a click to the frame's edge instead of the rail.
    if (const auto r = reference >= 0 ? seen.find(children[static_cast<size_t>(reference)]) : seen.end();
        r != seen.end() && !r->second.rect.isEmpty()) {
        const QRect frame = r->second.rect;
        for (long i = reference + 1; i < static_cast<long>(children.size()); ++i) {
            const WindowId w = children[static_cast<size_t>(i)];
            if (chromeIds.count(w) || topIds.count(w) || ownTop.count(w) || madeHere(w)) continue;
            if (const auto s = seen.find(w); s != seen.end() && (s->second.viewable || s->second.managed)) break;
            const auto state = describe({w}).front();
            if (!state || !state->inputOnly || !state->viewable || !state->rect.contains(frame)) break;
            reference = i;
        }
    }

    const auto at = [&](WindowId w) { return position.count(w) ? position[w] : -1L; };
    // The chrome: in order, above the reference, with no window of ours between them, below the
    // cards.
    if (!request.chromeTopFirst.empty()) {
        bool inPlace = true;
        const auto& group = request.chromeTopFirst;
        for (size_t i = 0; i + 1 < group.size() && inPlace; ++i) inPlace = at(group[i].id) > at(group[i + 1].id);
        const long bottom = at(group.back().id), top = at(group.front().id);
        if (inPlace && reference >= 0) inPlace = bottom > reference;
        // Under the cards, which a window made this turn (on top, as X makes them) may not be.
        for (WindowId w : topIds)
            if (inPlace && at(w) < top) inPlace = false;
        for (WindowId w : ownTop)
            if (inPlace && at(w) < top && at(w) > std::max(reference, -1L)) inPlace = false;
        if (!inPlace) {
            if (reference >= 0) {
                stack(c, static_cast<xcb_window_t>(group.back().id), static_cast<xcb_window_t>(children[static_cast<size_t>(reference)]),
                      XCB_STACK_MODE_ABOVE);
            } else {
                // Nothing of another program under it: below the lowest of our windows, if any.
                long lowest = -1;
                for (WindowId w : ownTop)
                    if (lowest < 0 || at(w) < lowest) lowest = at(w);
                if (lowest >= 0)
                    stack(c, static_cast<xcb_window_t>(group.back().id), static_cast<xcb_window_t>(children[static_cast<size_t>(lowest)]),
                          XCB_STACK_MODE_BELOW);
            }
            for (size_t i = group.size() - 1; i > 0; --i)
                stack(c, static_cast<xcb_window_t>(group[i - 1].id), static_cast<xcb_window_t>(group[i].id), XCB_STACK_MODE_ABOVE);
        }
    }
    // Nothing of another program shown there: windows of ours, the chrome (which goes under the
    // cards), and windows not shown.
    const auto clear = [&](WindowId w) {
        if (topIds.count(w) || chromeIds.count(w) || madeHere(w)) return true;
        const auto s = seen.find(w);
        return s != seen.end() && !s->second.viewable;
    };
    // The switcher: in order, above everything.
    if (!request.topTopFirst.empty()) {
        const auto& group = request.topTopFirst;
        bool inPlace = true;
        for (size_t i = 0; i + 1 < group.size() && inPlace; ++i) inPlace = at(group[i]) > at(group[i + 1]);
        const std::set<WindowId> cards(request.cardsTopFirst.begin(), request.cardsTopFirst.end());
        for (long i = at(group.back()) + 1; inPlace && i < static_cast<long>(children.size()); ++i) {
            const WindowId w = children[static_cast<size_t>(i)];
            inPlace = clear(w) && !cards.count(w) && !ownTop.count(w);
        }
        if (!inPlace) {
            stack(c, static_cast<xcb_window_t>(group.front()), 0, XCB_STACK_MODE_ABOVE);
            for (size_t i = 1; i < group.size(); ++i)
                stack(c, static_cast<xcb_window_t>(group[i]), static_cast<xcb_window_t>(group[i - 1]), XCB_STACK_MODE_BELOW);
        }
    }
    // The cards: each right under what it stays under (the card ordered front after it, our window
    // at their level, our lowest window over the cards, the switcher or nothing), with nothing of
    // another program between. Our windows count only where no window of another program covers
    // them (a fullscreen one, say): the cards lie above those too.
    if (!request.cardsTopFirst.empty()) {
        const auto& group = request.cardsTopFirst;
        long ceiling = -1, peerAt = -1;
        for (long i = static_cast<long>(children.size()) - 1; i >= 0; --i) {
            const WindowId w = children[static_cast<size_t>(i)];
            if (overCards.count(w)) ceiling = i;
            if (w == peer) peerAt = i;
            if (ownTop.count(w) || matTop.count(w) || clear(w)) continue;
            // Popups of other programs (menus, tooltips) come and go over everything.
            if (const auto s = seen.find(w); s != seen.end() ? !s->second.managed : i > reference && bystanders_.count(w))
                continue;
            break;
        }
        const bool withPeer = peerAt >= 0 && request.cardsAbovePeer < group.size() && (ceiling < 0 || peerAt < ceiling);
        // What each card lies right under; 0 for the top of the stack.
        std::vector<WindowId> upper(group.size());
        for (size_t i = 0; i < group.size(); ++i) {
            if (withPeer && i == request.cardsAbovePeer) upper[i] = peer;
            else if (i > 0) upper[i] = group[i - 1];
            else if (ceiling >= 0) upper[i] = children[static_cast<size_t>(ceiling)];
            else if (!request.topTopFirst.empty()) upper[i] = request.topTopFirst.back();
        }
        bool inPlace = true;
        for (size_t i = 0; i < group.size() && inPlace; ++i) {
            const long from = at(group[i]);
            const long to = upper[i] ? at(upper[i]) : static_cast<long>(children.size());
            inPlace = from >= 0 && to > from;
            for (long j = from + 1; inPlace && j < to; ++j) {
                const WindowId w = children[static_cast<size_t>(j)];
                inPlace = clear(w) && !ownTop.count(w);
            }
        }
        if (!inPlace) {
            for (size_t i = 0; i < group.size(); ++i)
                stack(c, static_cast<xcb_window_t>(group[i]), static_cast<xcb_window_t>(upper[i]),
                      upper[i] ? XCB_STACK_MODE_BELOW : XCB_STACK_MODE_ABOVE);
        }
    }
    if (sent != before) xcb_flush(c);
    return static_cast<int>(sent - before);
}

}  // namespace tessane::qt_backend
