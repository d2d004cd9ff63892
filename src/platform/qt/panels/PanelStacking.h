#pragma once

#include "platform/qt/panels/StackingDecision.h"

#include <QRect>

#include <map>
#include <set>
#include <vector>

namespace tessane::linux_backend {
class X11Connection;
}

namespace tessane::qt_backend {

// Keeps our raised panels in place among the root's children (see StackingDecision for the rule):
// a snapshot of the desktop from the backend's read model, the decision, and the restacks sent on
// Qt's connection, where the panels are made.
class PanelStacking {
public:
    using WindowId = unsigned long;
    explicit PanelStacking(linux_backend::X11Connection& x) : x_(x) {}
    PanelStacking(const PanelStacking&) = delete;
    PanelStacking& operator=(const PanelStacking&) = delete;
    struct Panel {
        WindowId id = 0;
        QRect rect;  // root coordinates, X pixels
    };
    // What is asked, our other windows by their own ids (the frames that hold them are looked up).
    struct Request {
        std::vector<Panel> chromeTopFirst;
        std::vector<WindowId> cardsTopFirst;
        std::vector<WindowId> topTopFirst;  // above everything: the switcher
        std::set<WindowId> ownWindows;  // our other top-level windows (managed ones or not), shown
        std::set<WindowId> aboveCards;  // those of `ownWindows` that lie over the cards
        WindowId cardPeer = 0;          // the one of `ownWindows` at the cards' level, if any
        size_t cardsAbovePeer = 0;      // how many of the cards (top first) were ordered front after it
        std::set<WindowId> mats;        // our mats, managed windows below the others
    };

    // Puts every group in place; answers the restacking requests it sent.
    int apply(const Request& request);
    // Reads the root's children ahead of the first apply(), which then asks the server nothing.
    void prime();
    // Those of `clients` that are shown: each one's frame (the client with the decorations its
    // window manager draws around it) and the client, in root coordinates, X pixels.
    struct Shown {
        QRect frame, client;
    };
    std::map<WindowId, Shown> shownFrames(const std::vector<WindowId>& clients);
    // Puts the chrome (top first) back in its own order where something else changed it; answers
    // the requests sent. Metacity restacks our windows one by one over a window of its own as it
    // moves that one, in the order it believes them in, which after changes of their shapes need
    // not be theirs.
    int keepOrder(const std::vector<WindowId>& chromeTopFirst);
    // Every restacking request sent so far by any instance (for measurements).
    static long requestsSent();

private:
    // The root's children, bottom to top, with what the server told of restacks by now (our
    // own too, sent on the other connection).
    std::vector<WindowId> rootChildren();
    // The desktop as the decision needs it for `request`.
    StackingSnapshot snapshot(const Request& request);
    int send(const std::vector<Restack>& restacks);

    linux_backend::X11Connection& x_;
};

}  // namespace tessane::qt_backend
