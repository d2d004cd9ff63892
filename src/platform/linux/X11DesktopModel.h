#pragma once

#include "platform/linux/WindowIdSet.h"
#include "platform/linux/X11Connection.h"

#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>
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
//   configure, map, unmap, reparent or destroy of that window or of any child of the root (the
//   window manager's frames) is reported.
// - Before any answer, the events the server has sent are taken in (the connection keeps them
//   for processEvents, in order), so that a reply awaited after a change never leaves the model
//   behind it.
// - Windows that are not listed are read directly, every time.
class X11DesktopModel {
public:
    explicit X11DesktopModel(X11Connection& x);

    std::optional<X11Property> property(XWindowId window, XAtomId atom);
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
    std::optional<std::vector<uint8_t>> outputEdid(unsigned long output);
    std::optional<std::string> outputName(unsigned long output);

    // Whether the window's values are kept here (the root and the listed clients).
    bool keeps(XWindowId window);
    // A property we wrote ourselves: what is known of it is no longer true.
    void forget(XWindowId window, XAtomId atom);
    // Told of every event before any listener hears it (and of queued ones ahead of time).
    void note(const X11Event& event);
    // Changes whenever a property or the list of clients changes, or a window goes (not when
    // windows only move): lets callers keep answers derived from those for as long as they hold.
    uint64_t version();

private:
    struct Geometry {
        uint64_t generation = 0;
        std::optional<X11WindowGeometry> value;  // none: not a window
    };
    bool listed(XWindowId window);
    void refreshClientList();
    void fetch(const std::vector<XWindowId>& windows, XAtomId atom);
    void fetchForListed(XAtomId atom);
    void selectOn(const std::vector<XWindowId>& windows);
    // A child of the root was made, moved, mapped, unmapped or reparented: what of the kept
    // geometry it may have carried with it goes.
    void rootChildChanged(const X11Event& e);
    void dropWindow(XWindowId window);
    void changed() { ++version_; }

    X11Connection& x_;
    bool started_ = false;
    uint64_t version_ = 1;
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
    // Children of the root made while we watched, each with the one window put into it (0: none
    // yet): such a frame, moving, carries only that window. A frame the window manager made
    // before, or one it nests its clients deeper in, may carry any client.
    std::unordered_map<XWindowId, XWindowId> newFrames_;
    // The last rectangle and border each child of the root was configured to, as heard.
    std::unordered_map<XWindowId, std::pair<Rect, int>> rootChildFrames_;
    std::optional<std::vector<X11Monitor>> monitors_;
    std::optional<Size> rootSize_;
    std::map<unsigned long, std::optional<std::vector<uint8_t>>> edids_;
    std::map<unsigned long, std::optional<std::string>> outputNames_;
};

}  // namespace tessane::linux_backend
