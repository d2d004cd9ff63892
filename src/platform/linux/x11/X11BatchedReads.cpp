// Reads about many windows at once. Lists on the root window (_NET_CLIENT_LIST and the like)
// can be set by any client, with any number of made-up ids; asking one id at a time would cost
// a round trip each. These go through the connection's XCB side, which lets every request be
// sent before the first answer is awaited; its errors come back with the answers, not through
// Xlib's error handler.
#include "platform/linux/x11/X11Connection.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <unistd.h>

namespace tessane::linux_backend {

namespace {

// Requests in flight at once: bounds the answers held in memory, costs one round trip each.
constexpr size_t kBatch = 8192;

X11Property propertyFrom(const xcb_get_property_reply_t& reply) {
    X11Property p;
    p.type = reply.type;
    p.format = reply.format;
    const int length = xcb_get_property_value_length(&reply);
    const auto* data = static_cast<const uint8_t*>(xcb_get_property_value(&reply));
    if (reply.format == 8) {
        p.bytes.assign(data, data + length);
    } else if (reply.format == 16) {
        const auto* shorts = reinterpret_cast<const int16_t*>(data);
        p.items.assign(shorts, shorts + length / 2);
    } else if (reply.format == 32) {
        // Widened with its sign, as Xlib hands 32-bit items out.
        const auto* words = reinterpret_cast<const int32_t*>(data);
        p.items.assign(words, words + length / 4);
    }
    return p;
}

}  // namespace

std::vector<X11PropertyAnswer> X11Connection::properties(std::span<const XWindowId> windows,
                                                         XAtomId property, long maxItems) {
    std::vector<X11PropertyAnswer> answers(windows.size());
    if (property == 0 || windows.empty() || !usable()) return answers;
    xcb_connection_t* c = XGetXCBConnection(display_);
    std::vector<xcb_get_property_cookie_t> cookies;
    for (size_t first = 0; first < windows.size(); first += kBatch) {
        const size_t last = std::min(windows.size(), first + kBatch);
        cookies.clear();
        for (size_t i = first; i < last; ++i)
            cookies.push_back(xcb_get_property(c, 0, static_cast<xcb_window_t>(windows[i]),
                                               static_cast<xcb_atom_t>(property), XCB_GET_PROPERTY_TYPE_ANY,
                                               0, static_cast<uint32_t>(std::max(0L, maxItems))));
        const auto waited = trip(replies::kProperties);
        for (size_t i = first; i < last; ++i) {
            xcb_generic_error_t* error = nullptr;
            xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookies[i - first], &error);
            if (reply) {
                answers[i].windowExists = true;
                if (reply->type != XCB_ATOM_NONE) answers[i].value = propertyFrom(*reply);
                std::free(reply);
            }
            // Any error (BadWindow for an id that names nothing, BadAtom, a lost connection)
            // leaves the answer empty.
            std::free(error);
        }
    }
    // Events that came in while we waited sit in XCB's queue, where neither the socket nor
    // Xlib's queue tells of them; Xlib's own requests move them over, and so do we, or the
    // event loop would sleep on them.
    XEventsQueued(display_, QueuedAfterReading);
    return answers;
}

std::vector<std::optional<X11WindowGeometry>> X11Connection::geometries(std::span<const XWindowId> windows) {
    std::vector<std::optional<X11WindowGeometry>> answers(windows.size());
    if (!usable()) return answers;
    xcb_connection_t* c = XGetXCBConnection(display_);
    struct Cookies {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t place;
    };
    std::vector<Cookies> cookies;
    constexpr size_t perBatch = kBatch / 3;
    for (size_t first = 0; first < windows.size(); first += perBatch) {
        const size_t last = std::min(windows.size(), first + perBatch);
        cookies.clear();
        for (size_t i = first; i < last; ++i) {
            const auto w = static_cast<xcb_window_t>(windows[i]);
            cookies.push_back({xcb_get_window_attributes(c, w), xcb_get_geometry(c, w),
                               xcb_translate_coordinates(c, w, static_cast<xcb_window_t>(root_), 0, 0)});
        }
        const auto waited = trip(replies::kGeometry);
        for (size_t i = first; i < last; ++i) {
            const Cookies& k = cookies[i - first];
            auto* a = xcb_get_window_attributes_reply(c, k.attributes, nullptr);
            auto* g = xcb_get_geometry_reply(c, k.geometry, nullptr);
            auto* t = xcb_translate_coordinates_reply(c, k.place, nullptr);
            // Errors (a window that has gone) come back in place of the replies and are
            // dropped with them.
            if (a && g && t) {
                X11WindowGeometry out;
                out.rootRect = Rect(t->dst_x, t->dst_y, g->width, g->height);
                out.borderWidth = g->border_width;
                out.viewable = a->map_state == XCB_MAP_STATE_VIEWABLE;
                out.overrideRedirect = a->override_redirect;
                out.inputOnly = a->_class == XCB_WINDOW_CLASS_INPUT_ONLY;
                answers[i] = out;
            }
            std::free(a);
            std::free(g);
            std::free(t);
        }
    }
    XEventsQueued(display_, QueuedAfterReading);
    return answers;
}

namespace {

// Each window's place in the tree (`take` hears the index and the server's answer; none for a window
// gone), every request sent before the first answer is awaited.
template <typename Take>
void queryTrees(X11Connection& x, xcb_connection_t* c, std::span<const XWindowId> windows, Take take) {
    std::vector<xcb_query_tree_cookie_t> cookies;
    for (size_t first = 0; first < windows.size(); first += kBatch) {
        const size_t last = std::min(windows.size(), first + kBatch);
        cookies.clear();
        for (size_t i = first; i < last; ++i) cookies.push_back(xcb_query_tree(c, static_cast<xcb_window_t>(windows[i])));
        const auto waited = x.trip(replies::kTree);
        for (size_t i = first; i < last; ++i) {
            xcb_generic_error_t* error = nullptr;
            auto* reply = xcb_query_tree_reply(c, cookies[i - first], &error);
            if (reply) take(i, *reply);
            std::free(reply);
            std::free(error);
        }
    }
}

}  // namespace

std::vector<std::optional<XWindowId>> X11Connection::readParents(std::span<const XWindowId> windows) {
    std::vector<std::optional<XWindowId>> answers(windows.size());
    if (!usable()) return answers;
    queryTrees(*this, XGetXCBConnection(display_), windows,
               [&](size_t i, const xcb_query_tree_reply_t& reply) { answers[i] = reply.parent; });
    XEventsQueued(display_, QueuedAfterReading);
    return answers;
}

std::vector<std::optional<std::vector<XWindowId>>> X11Connection::readChildren(std::span<const XWindowId> windows) {
    std::vector<std::optional<std::vector<XWindowId>>> answers(windows.size());
    if (!usable()) return answers;
    queryTrees(*this, XGetXCBConnection(display_), windows, [&](size_t i, const xcb_query_tree_reply_t& reply) {
        const xcb_window_t* children = xcb_query_tree_children(&reply);
        answers[i].emplace(children, children + xcb_query_tree_children_length(&reply));
    });
    XEventsQueued(display_, QueuedAfterReading);
    return answers;
}

std::optional<std::vector<XWindowId>> X11Connection::readChildren(XWindowId window, unsigned long* serial) {
    if (!usable()) return std::nullopt;
    xcb_connection_t* c = XGetXCBConnection(display_);
    const auto cookie = xcb_query_tree(c, static_cast<xcb_window_t>(window));
    if (serial) *serial = cookie.sequence;
    const auto waited = trip(replies::kTree);
    xcb_generic_error_t* error = nullptr;
    auto* reply = xcb_query_tree_reply(c, cookie, &error);
    std::free(error);
    if (!reply) return std::nullopt;
    const xcb_window_t* children = xcb_query_tree_children(reply);
    std::vector<XWindowId> out(children, children + xcb_query_tree_children_length(reply));
    std::free(reply);
    XEventsQueued(display_, QueuedAfterReading);
    return out;
}

std::vector<X11WindowOwner> X11Connection::windowOwners(std::span<const XWindowId> windows) {
    std::vector<X11WindowOwner> owners(windows.size());
    const auto claims = properties(windows, atom("_NET_WM_PID"), 1);
    for (size_t i = 0; i < windows.size(); ++i) {
        owners[i].windowExists = claims[i].windowExists;
        const auto& claim = claims[i].value;
        if (claim && claim->format == 32 && !claim->items.empty() && claim->items[0] > 0)
            owners[i].claimedPid = static_cast<int32_t>(claim->items[0]);
        // Ours, when it exists: the server need not be asked which process made it.
        if (owners[i].windowExists && madeByThisProcess(windows[i])) owners[i].serverPid = static_cast<int32_t>(::getpid());
    }
    if (!hasXRes_) return owners;

    // The server knows each client's process only by its connection; a window's client is the
    // part of its id outside the resource mask. Client 0 is the server itself, and asking
    // about client 0 would mean every client: it is never asked.
    std::map<uint32_t, std::optional<int32_t>> byClient;
    for (size_t i = 0; i < windows.size(); ++i) {
        const uint32_t client = clientOf(windows[i]);
        if (owners[i].windowExists && client != 0 && !owners[i].serverPid) byClient.emplace(client, std::nullopt);
    }
    if (byClient.empty() || !usable()) return owners;
    std::vector<XResClientIdSpec> questions;
    for (auto& [client, pid] : byClient) questions.push_back({client, XRES_CLIENT_ID_PID_MASK});
    ErrorTrap trap(*this);
    long count = 0;
    XResClientIdValue* values = nullptr;
    const auto waited = trip(replies::kOwners);
    if (XResQueryClientIds(display_, static_cast<long>(questions.size()), questions.data(), &count, &values) == Success &&
        trap.received().ok()) {
        for (long i = 0; i < count; ++i) {
            const pid_t pid = XResGetClientPid(&values[i]);
            // Each answer repeats the question it answers: the client and what was asked of it.
            const auto& [question, length, value] = values[i];
            auto it = byClient.find(clientOf(question.client));
            if (pid > 0 && it != byClient.end()) it->second = static_cast<int32_t>(pid);
        }
    }
    if (values) XResClientIdsDestroy(count, values);
    for (size_t i = 0; i < windows.size(); ++i) {
        if (!owners[i].windowExists) continue;
        auto it = byClient.find(clientOf(windows[i]));
        if (it != byClient.end()) owners[i].serverPid = it->second;
    }
    return owners;
}

std::optional<int32_t> X11Connection::clientPidFromServer(XWindowId window) {
    return windowOwners(std::span(&window, 1)).front().serverPid;
}

}  // namespace tessane::linux_backend
