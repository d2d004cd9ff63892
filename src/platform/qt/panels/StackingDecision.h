#pragma once

// Where our raised panels go among the root's children, decided from a snapshot of the desktop
// alone: no server, no toolkit. X has no levels, so the order is kept by hand:
// - the chrome (shields, handles, rail, overlays, previews) lies directly above the topmost
//   window of another program that overlaps it, or above our mat: above the workspace's own
//   windows, below every window of ours that is above those (settings, builder, welcome, alerts,
//   menus), which so keep the pointer wherever they cover a strip;
// - the cards lie above the windows of other programs and below our windows that lie over them
//   (the builder, the welcome panel, alerts, menus); the window of ours at their level (the
//   settings window, while ours is the active application) lies above the cards ordered front
//   before it and below the others;
// - the switcher lies above everything.
// Nothing is restacked while a group is in place; otherwise the group is restacked whole.

#include <cstddef>
#include <optional>
#include <set>
#include <vector>

namespace tessane::qt_backend {

using StackedWindow = unsigned long;

// Root coordinates, X pixels.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool isEmpty() const { return width <= 0 || height <= 0; }
    bool intersects(const PixelRect& o) const {
        return !isEmpty() && !o.isEmpty() && x < o.x + o.width && o.x < x + width && y < o.y + o.height &&
               o.y < y + height;
    }
    bool contains(const PixelRect& o) const {
        return !o.isEmpty() && x <= o.x && y <= o.y && o.x + o.width <= x + width && o.y + o.height <= y + height;
    }
    bool operator==(const PixelRect&) const = default;
};

// A child of the root as it stands.
struct StackedChild {
    StackedWindow id = 0;
    bool ours = false;  // made by this process (shown in the request, or of no account)
    struct State {
        PixelRect rect;  // its border included
        bool viewable = false;
        bool overrideRedirect = false;
        bool inputOnly = false;
    };
    std::optional<State> state;  // none for ours, and for one that is gone
};

struct StackingSnapshot {
    std::vector<StackedChild> childrenBottomToTop;
    struct Panel {
        StackedWindow id = 0;
        PixelRect rect;
    };
    std::vector<Panel> chromeTopFirst;
    std::vector<StackedWindow> cardsTopFirst;
    std::vector<StackedWindow> topTopFirst;  // above everything: the switcher
    // Our other top-level windows that are shown, each by the child of the root that holds it
    // (its window manager's frame, or itself).
    std::set<StackedWindow> ownFrames;
    std::set<StackedWindow> aboveCards;  // those of `ownFrames` that lie over the cards
    StackedWindow cardPeer = 0;          // the one of `ownFrames` at the cards' level, if any
    size_t cardsAbovePeer = 0;           // how many of the cards (top first) were ordered front after it
    std::set<StackedWindow> mats;        // the frames of our mats, managed windows below the others
    // The children of the root that hold another program's listed client, override-redirect or
    // not (IceWM and Fluxbox make their frames so): the windows the chrome may lie on.
    std::set<StackedWindow> clientFrames;
};

struct Restack {
    StackedWindow window = 0;
    StackedWindow sibling = 0;  // none: the top or bottom of the whole stack
    bool above = true;          // above the sibling (or the top), else below it (or the bottom)
    bool operator==(const Restack&) const = default;
};

// The restacks that put the chrome, the switcher and the cards in place, in the order to send.
std::vector<Restack> decideStacking(const StackingSnapshot& snapshot);

// Puts the chrome (top first) back in its own order where something else changed it, each right
// above the one under it, the lowest where it is; none while one of them is not a child of the
// root.
std::vector<Restack> decideChromeOrder(const std::vector<StackedWindow>& childrenBottomToTop,
                                       const std::vector<StackedWindow>& chromeTopFirst);

}  // namespace tessane::qt_backend
