#pragma once

#include <QRect>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace tessane::qt_backend {

// Where our raised panels sit among the root's children, on Qt's connection. X has no levels, so
// the order is kept by hand:
// - the chrome (shields, handles, rail, overlays, previews) lies directly above the topmost
//   window of another program that overlaps it, or above our mat: above the workspace's own
//   windows, below every window of ours that is above those (settings, builder, welcome, alerts,
//   menus), which so keep the pointer wherever they cover a strip;
// - the cards lie above the windows of other programs and below our windows that lie over them
//   (the builder, the welcome panel, alerts, menus); the window of ours at their level (the
//   settings window, while ours is the active application) lies above the cards ordered front
//   before it and below the others;
// - the switcher lies above everything.
// Nothing is sent while a group is in place; otherwise one batch restacks it.
class PanelStacking {
public:
    using WindowId = unsigned long;
    PanelStacking() = default;
    PanelStacking(const PanelStacking&) = delete;
    PanelStacking& operator=(const PanelStacking&) = delete;
    ~PanelStacking();
    struct Panel {
        WindowId id = 0;
        QRect rect;  // root coordinates, X pixels
    };
    struct Request {
        std::vector<Panel> chromeTopFirst;
        std::vector<WindowId> cardsTopFirst;
        std::vector<WindowId> topTopFirst;  // above everything: the switcher
        std::set<WindowId> ownWindows;  // our other top-level windows (managed ones or not), shown
        std::set<WindowId> aboveCards;  // those of `ownWindows` that lie over the cards
        WindowId cardPeer = 0;          // the one of `ownWindows` at the cards' level, if any
        size_t cardsAbovePeer = 0;      // how many of the cards (top first) were ordered front after it
        std::set<WindowId> mats;        // our mats, managed windows below the others
        // The children of the root that hold another program's listed client, override-redirect
        // or not (IceWM and Fluxbox make their frames so): the windows the chrome may lie on.
        std::set<WindowId> clientFrames;
    };

    // A child of the root as the chrome's order needs it.
    struct Child {
        QRect rect;  // root coordinates, X pixels, its border included
        bool viewable = false;
        bool overrideRedirect = false;
        bool inputOnly = false;
    };
    // What the backend's read model keeps of the desktop from its own events: the root's children,
    // bottom to top, the child of the root holding a window, and children of the root as they
    // stand (none for one that is gone). Without it, all are asked of the server at each apply().
    struct Desktop {
        std::function<std::vector<WindowId>()> rootStacking;
        std::function<std::optional<WindowId>(WindowId)> frameOf;
        std::function<std::vector<std::optional<Child>>(const std::vector<WindowId>&)> children;
    };
    void setDesktop(Desktop desktop) { desktop_ = std::move(desktop); }

    // Puts both groups in place; answers the restacking requests it sent.
    int apply(const Request& request);
    // Learns which children of the root the chrome can never lie on, ahead of the first apply(),
    // which then reads only the others.
    void learnBystanders();
    // Those of `clients` that are shown: each one's frame (the client with the decorations its
    // window manager draws around it) and the client, in root coordinates, X pixels. One batch of
    // requests, for clients whose frame (the child of the root holding it) the last apply()
    // learnt, as it does for `ownWindows`.
    struct Shown {
        QRect frame, client;
    };
    std::map<WindowId, Shown> shownFrames(const std::vector<WindowId>& clients) const;
    // Puts the chrome (top first) back in its own order where something else changed it, each
    // right above the one under it, the lowest where it is; answers the requests sent. Metacity
    // restacks our windows one by one over a window of its own as it moves that one, in the
    // order it believes them in, which after changes of their shapes need not be theirs.
    int keepOrder(const std::vector<WindowId>& chromeTopFirst) const;
    // Has the server tell those listening that the root's children were restacked, with nothing
    // seen moving: a window of ours that is never shown, bypassing the window manager, goes to the
    // top or the bottom by turns (a request that changes nothing is not told). KWin's compositor
    // paints a window that bypasses it, mapped again, above all the others until such a window is
    // restacked, then reads the server's order again; answers the requests sent.
    int announceRestack();
    // Every restacking request sent so far by any instance (for measurements).
    static long requestsSent();

private:
    // The root's children, bottom to top; none when they cannot be had.
    std::optional<std::vector<WindowId>> rootChildren() const;
    // Those of the root's children, in one batch.
    std::vector<std::optional<Child>> describe(const std::vector<WindowId>& windows) const;

    Desktop desktop_;
    // The child of the root holding `client` (itself, or its window manager's frame).
    std::map<WindowId, WindowId> frames_;
    // Children of the root known never to be what the chrome lies on (see apply()).
    std::set<WindowId> bystanders_;
    // The window announceRestack() moves, and whether it was last put on top.
    WindowId herald_ = 0;
    bool heraldOnTop_ = false;
};

}  // namespace tessane::qt_backend
