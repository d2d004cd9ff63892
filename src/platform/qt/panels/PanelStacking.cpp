// Before any Qt header: Qt's `emit` keyword would break the signal class this pulls in.
#include "platform/linux/x11/X11DesktopModel.h"

#include "platform/qt/panels/PanelStacking.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>

namespace tessane::qt_backend {

namespace {

long sent = 0;

xcb_connection_t* connection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
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

PixelRect pixels(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

// A child of the root with its border, as the read model keeps it.
QRect outerRect(const linux_backend::X11WindowGeometry& g) {
    const Rect r = g.rootRect;
    const int border = static_cast<int>(g.borderWidth);
    return QRect(static_cast<int>(std::lround(r.origin.x)) - border, static_cast<int>(std::lround(r.origin.y)) - border,
                 static_cast<int>(std::lround(r.size.width)) + 2 * border,
                 static_cast<int>(std::lround(r.size.height)) + 2 * border);
}

}  // namespace

long PanelStacking::requestsSent() { return sent; }

std::vector<PanelStacking::WindowId> PanelStacking::rootChildren() {
    x_.readSocketNext();
    return x_.desktop().rootStacking();
}

StackingSnapshot PanelStacking::snapshot(const Request& request) {
    StackingSnapshot out;
    const auto children = rootChildren();
    auto& desktop = x_.desktop();
    const std::set<WindowId> present(children.begin(), children.end());
    // The child of the root holding one of our windows (the window manager's frame, or itself).
    const auto frameOf = [&](WindowId w) -> WindowId {
        const auto frame = desktop.frameOf(w);
        return frame && present.count(*frame) ? *frame : 0;
    };
    for (WindowId w : request.ownWindows)
        if (const WindowId f = frameOf(w)) out.ownFrames.insert(f);
    for (WindowId w : request.aboveCards)
        if (const WindowId f = frameOf(w)) out.aboveCards.insert(f);
    for (WindowId w : request.mats)
        if (const WindowId f = frameOf(w)) out.mats.insert(f);
    out.cardPeer = request.cardPeer ? frameOf(request.cardPeer) : 0;
    out.cardsAbovePeer = request.cardsAbovePeer;
    for (const auto& p : request.chromeTopFirst) out.chromeTopFirst.push_back({p.id, pixels(p.rect)});
    out.cardsTopFirst = request.cardsTopFirst;
    out.topTopFirst = request.topTopFirst;

    // The others' states, from what the model keeps (those it does not know, in one batch).
    xcb_connection_t* c = connection();
    std::vector<WindowId> others;
    for (WindowId w : children) {
        out.childrenBottomToTop.push_back({w, c && madeOn(c, w), std::nullopt});
        if (!out.childrenBottomToTop.back().ours && !out.ownFrames.count(w) && !out.mats.count(w)) others.push_back(w);
    }
    const auto states = desktop.rootChildStates(others);
    std::map<WindowId, const linux_backend::X11WindowGeometry*> stateOf;
    for (size_t i = 0; i < others.size(); ++i)
        if (states[i]) stateOf[others[i]] = &*states[i];
    for (auto& child : out.childrenBottomToTop)
        if (const auto s = stateOf.find(child.id); s != stateOf.end())
            child.state = StackedChild::State{pixels(outerRect(*s->second)), s->second->viewable,
                                              s->second->overrideRedirect, s->second->inputOnly};
    for (WindowId frame : desktop.clientFrames()) out.clientFrames.insert(frame);
    return out;
}

int PanelStacking::send(const std::vector<Restack>& restacks) {
    xcb_connection_t* c = connection();
    if (!c || restacks.empty()) return 0;
    for (const Restack& r : restacks)
        stack(c, static_cast<xcb_window_t>(r.window), static_cast<xcb_window_t>(r.sibling),
              r.above ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW);
    xcb_flush(c);
    return static_cast<int>(restacks.size());
}

int PanelStacking::apply(const Request& request) {
    if (!connection() || (request.chromeTopFirst.empty() && request.cardsTopFirst.empty() && request.topTopFirst.empty()))
        return 0;
    return send(decideStacking(snapshot(request)));
}

int PanelStacking::keepOrder(const std::vector<WindowId>& chromeTopFirst) {
    if (chromeTopFirst.size() < 2) return 0;
    return send(decideChromeOrder(rootChildren(), chromeTopFirst));
}

void PanelStacking::prime() {
    xcb_connection_t* c = connection();
    if (!c) return;
    std::vector<WindowId> others;
    for (WindowId w : rootChildren())
        if (!madeOn(c, w)) others.push_back(w);
    x_.desktop().rootChildStates(others);
}

std::map<PanelStacking::WindowId, PanelStacking::Shown> PanelStacking::shownFrames(const std::vector<WindowId>& clients) {
    auto& desktop = x_.desktop();
    const auto extentsAtom = x_.atom("_NET_FRAME_EXTENTS");
    std::map<WindowId, Shown> out;
    for (WindowId w : clients) {
        const auto frame = desktop.frameOf(w);
        if (!frame) continue;
        const auto frameState = desktop.rootChildStates({*frame}).front();
        const auto client = desktop.geometry(w);
        if (!frameState || !frameState->viewable || !client) continue;
        const QRect inner = outerRect({client->rootRect, 0});
        // What the manager draws of the frame (_NET_FRAME_EXTENTS) around the client: its frame
        // window may reach further, with borders that only take the pointer or show a shadow
        // (Mutter's, Metacity's), where what lies under it is seen.
        const auto extents = desktop.property(w, extentsAtom);
        if (extents && extents->format == 32 && extents->items.size() == 4) {
            const auto edge = [&](size_t i) { return static_cast<int>(std::clamp<long>(extents->items[i], 0, 4096)); };
            out[w] = {inner.adjusted(-edge(0), -edge(2), edge(1), edge(3)), inner};
        } else {
            out[w] = {outerRect(*frameState), inner};
        }
    }
    return out;
}

}  // namespace tessane::qt_backend
