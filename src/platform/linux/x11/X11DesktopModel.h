#pragma once

#include "platform/linux/x11/WindowIdSet.h"
#include "platform/linux/x11/X11Connection.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tessane::linux_backend {

// What the process knows of the desktop, read from X once and kept valid from X's own events
// rather than read again: the root window's properties (client lists, active window, work area,
// current desktop, what the window manager supports), every listed client's properties (state,
// type, transient owner, frame extents, process, class, struts, size hints), window geometry,
// the monitors and their outputs.
//
// - Root properties are read on first use and dropped when the root reports a change.
// - A client listed in _NET_CLIENT_LIST gets our PropertyChangeMask, sent before its first read,
//   so any later change is reported. A property is read for every listed client that lacks it
//   in one pipelined batch: the first struts or state asked of one client fetches all of them.
// - Geometry (attributes and the place on the root) is read per window and kept until a
//   configure, map, unmap, reparent or destroy of that window or of its frame is reported (or
//   of any other child of the root that the window manager may have made, unless it bypasses
//   the manager or is ours).
// - A client's frame is the child of the root that holds it (the client itself when it is
//   one), whatever its override-redirect flag: IceWM and Fluxbox make theirs override-redirect.
//   It is learnt from the reparenting heard on the root (of a window whose own going we hear),
//   or asked (one level per round trip, for all windows at once, each heard before it is asked)
//   before a client's geometry is first kept, and forgotten when the client or the frame moves
//   to another parent or goes: whatever is kept of a window, its going is heard.
// - Before any answer, the events the server has sent are taken in (the connection keeps them
//   for processEvents, in order), so that a reply awaited after a change never leaves the model
//   behind it.
// - Windows that are not listed are read directly, every time.
class X11DesktopModel {
public:
    explicit X11DesktopModel(X11Connection& x);

    std::optional<X11Property> property(XWindowId window, XAtomId atom);
    // `atom` of each of `windows` as one snapshot: the events received so far are taken in once,
    // what is not known is read in one batch, and no event heard meanwhile makes a window of the
    // same call be read again (a manager busy changing many windows would otherwise have each
    // read cost a round trip of its own).
    std::vector<std::optional<X11Property>> properties(const std::vector<XWindowId>& windows, XAtomId atom);
    // The same, each with whether the id names a window: a listed client that was read is one
    // until it is heard gone; any other id is asked (one batch).
    std::vector<X11PropertyAnswer> propertyAnswers(const std::vector<XWindowId>& windows, XAtomId atom);
    // The listed clients that have `atom`, in list order, with its value.
    std::vector<std::pair<XWindowId, X11Property>> listedWith(XAtomId atom);
    // Reads `atom` of those of `windows` that are listed and lack it, in one batch (to spread
    // the cost of a long new list over several turns of the event loop).
    void prefetch(const std::vector<XWindowId>& windows, XAtomId atom);
    // Absent when the window is gone.
    std::optional<X11WindowGeometry> geometry(XWindowId window);
    // Reads the geometry of many windows that lack it in one batch.
    void prefetchGeometry(const std::vector<XWindowId>& windows);
    // Whether the id names a window; for listed clients from what was read.
    bool windowExists(XWindowId window);
    std::vector<X11Monitor> monitors();
    Size rootSize();
    // The children of the root, bottom to top as the server stacks them: asked once and kept in
    // step with what the root hears of its children (made, restacked, reparented, destroyed); a
    // change it cannot follow has it asked again. stackingVersion() moves with every change of
    // that order (and with every change it cannot follow), not with a child moved, sized, mapped
    // or unmapped in its place.
    const std::vector<XWindowId>& rootStacking();
    uint64_t stackingVersion() const { return stackingVersion_; }
    // Children of the root as they stand (place with the border outside `rootRect`, mapped or
    // not, bypassing the window manager or not, input only or not); absent for one that is not a
    // child of the root or is gone. Each is read once, those not known in one batch, and then
    // kept from what the root hears of it: a show's moves and a manager's restacks cost nothing.
    std::vector<std::optional<X11WindowGeometry>> rootChildStates(const std::vector<XWindowId>& windows);
    std::optional<std::vector<uint8_t>> outputEdid(unsigned long output);
    std::optional<std::string> outputName(unsigned long output);

    // The child of the root that holds `window` (itself when it is one); absent when it is gone.
    std::optional<XWindowId> frameOf(XWindowId window);
    // The windows `frame` is known to hold (those asked about with frameOf, or kept here), without
    // asking the server.
    std::vector<XWindowId> clientsIn(XWindowId frame) const;
    // The frame of `window` if it is known, without asking the server.
    std::optional<XWindowId> knownFrameOf(XWindowId window) const {
        const auto it = frameOf_.find(window);
        return it == frameOf_.end() ? std::nullopt : std::optional<XWindowId>(it->second);
    }
    // Hears `mask` of `window` and keeps its frame (whose moves carry it) for as long as the
    // answer is held. Its end takes both back: the window's selected input is what it was, and
    // nothing is kept of it that the model does not keep of every listed client anyway. Empty
    // when the window has gone.
    [[nodiscard]] Subscription watch(XWindowId window, long mask);

    // The frames of the listed clients, override-redirect or not, except windows of this process
    // (our own panels hold no client).
    std::vector<XWindowId> clientFrames();

    // Events it was not told of were dropped (a flood): everything derived from windows' events
    // goes, and is read again when asked, as on the first day. What was asked to hear stays.
    void resynchronise();

    // Whether the window's values are kept here (the root and the listed clients).
    bool keeps(XWindowId window);
    // Changes whenever a property or the list of clients changes, or a window goes (not when
    // windows only move): lets callers keep answers derived from those for as long as they hold.
    uint64_t version();
    // The same, narrowed to what answers derived from these properties depend on: it changes
    // when one of them changes on the root or on a listed client, or the list of clients changes,
    // or a window goes; not when any other property does (a title, a state, the active window).
    uint64_t version(std::initializer_list<XAtomId> atoms);

private:
    struct Geometry {
        uint64_t generation = 0;
        std::optional<X11WindowGeometry> value;  // none: not a window
    };
    // A property we wrote ourselves: what is known of it is no longer true.
    void forget(XWindowId window, XAtomId atom);
    // Told of every event before any listener hears it (and of queued ones ahead of time).
    void note(const X11Event& event);
    void start();
    bool listed(XWindowId window);
    void refreshClientList();
    void fetch(const std::vector<XWindowId>& windows, XAtomId atom);
    void fetchForListed(XAtomId atom);
    void selectOn(const std::vector<XWindowId>& windows);
    // A child of the root was made, moved, mapped, unmapped or reparented: what of the kept
    // geometry it may have carried with it goes.
    void rootChildChanged(const X11Event& e);
    void askWhatRootChildrenHold(XWindowId window);
    // Moves what rootStacking() keeps as the root heard it, or drops it; answers whether the order
    // may have changed.
    bool followStacking(const X11Event& e);
    // Keeps what rootChildStates() read in step with the root's events.
    void followChildState(const X11Event& e);
    // The one place a window is forgotten (gone, no window, or its watch ended): every cache kept
    // per window lets it go.
    void forgetWindow(XWindowId window);
    // Learns the frames of those of `windows` whose frame is not known.
    void climb(std::vector<XWindowId> windows);
    void hearParents(const std::vector<XWindowId>& windows);
    void setFrame(XWindowId window, XWindowId frame);
    // `window` left its frame (moved to another parent, or gone).
    void forgetFrame(XWindowId window);
    // `frame` is no longer a child of the root: what is kept of the windows it held goes.
    void frameGone(XWindowId frame);
    bool madeWhileWatched(XWindowId window) const {
        const auto it = rootChildren_.find(window);
        return it != rootChildren_.end() && it->second;
    }
    // Something every answer may depend on changed (the list, a window gone)...
    void changed() { structureVersion_ = ++version_; }
    // ... or only what was known of one property.
    void changed(XAtomId atom) { atomVersions_[atom] = ++version_; }

    X11Connection& x_;
    bool started_ = false;
    uint64_t version_ = 1;
    uint64_t structureVersion_ = 1;
    std::unordered_map<XAtomId, uint64_t> atomVersions_;
    std::unordered_map<XAtomId, std::optional<X11Property>> root_;
    bool clientListStale_ = true;
    WindowIdSet listed_;
    std::vector<XWindowId> clientList_;
    WindowIdSet selected_;   // listed clients whose property changes we hear
    WindowIdSet notWindows_; // listed ids that name no window
    // Per atom, per listed window that exists: the value (none: no such property).
    std::unordered_map<XAtomId, std::unordered_map<XWindowId, std::optional<X11Property>>> clientProps_;
    uint64_t geometryGeneration_ = 1;
    std::unordered_map<XWindowId, Geometry> geometry_;
    // Children of the root heard of as such (made, configured, mapped, reparented there or found
    // by a climb) and not heard of leaving: a climb stops at one without asking further. True for
    // those made while we watched: any window put into one since was heard of.
    std::unordered_map<XWindowId, bool> rootChildren_;
    // Children of the root there before we watched, found holding windows when first changed.
    std::unordered_set<XWindowId> holdingUnknown_;
    // The frame of each window whose frame is known, and the windows each frame is known to hold.
    // Every client whose geometry is kept has its frame known: a frame that moves carries only
    // those, and a child of the root known to hold none (a menu, a tooltip) carries none.
    std::unordered_map<XWindowId, XWindowId> frameOf_;
    std::unordered_map<XWindowId, std::set<XWindowId>> held_;
    // Windows not listed whose frame is known are heard of (a move to another parent) only while
    // it is.
    std::unordered_map<XWindowId, Subscription> frameHeard_;
    // Bumped whenever a frame is learnt or forgotten or the list changes, for clientFrames().
    uint64_t framesVersion_ = 1;
    uint64_t clientFramesVersion_ = 0;
    std::vector<XWindowId> clientFrames_;
    // The last rectangle and border each child of the root was configured to, as heard.
    std::unordered_map<XWindowId, std::pair<Rect, int>> rootChildFrames_;
    std::optional<std::vector<XWindowId>> rootStacking_;
    // What rootChildStates() read, kept from the root's events; none: not a child of the root.
    std::unordered_map<XWindowId, std::optional<X11WindowGeometry>> childStates_;
    unsigned long stackingSerial_ = 0;  // of the request that read it: older events are in it
    uint64_t stackingVersion_ = 1;
    std::optional<std::vector<X11Monitor>> monitors_;
    std::optional<Size> rootSize_;
    std::map<unsigned long, std::optional<std::vector<uint8_t>>> edids_;
    std::map<unsigned long, std::optional<std::string>> outputNames_;
    Subscription arrivals_;
    Subscription written_;
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);  // watches ending after it do nothing
};

}  // namespace tessane::linux_backend
