#pragma once

#include "base/Geometry.h"
#include "base/Signal.h"
#include "base/WaitBounds.h"
#include "platform/linux/x11/X11EventBacklog.h"
#include "platform/linux/x11/X11Replies.h"
#include "platform/linux/x11/X11SizeHints.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Xlib's own types stay out of this header: its macros (None, Bool, Status, KeyPress, ...) clash
// with Qt and with our own names, so everything here is plain C++.
struct _XDisplay;

namespace tessane::linux_backend {

class X11DesktopModel;
class X11EventInterests;
class X11ManagerWatch;

using XWindowId = unsigned long;  // an XID
using XAtomId = unsigned long;

// What an X request that can fail answers. `ok` when the server took it; otherwise the X error
// code (BadWindow 3, BadMatch 8, BadAccess 10, BadValue 2, ...).
struct X11Status {
    int error = 0;
    bool ok() const { return error == 0; }
    static constexpr int badValue = 2;
    static constexpr int badWindow = 3;
    static constexpr int badAtom = 5;
    static constexpr int badMatch = 8;
    static constexpr int badAccess = 10;
    static constexpr int noConnection = -1;
};

// What a client can ask to hear of a window: X's event-mask bits, named here once for every
// caller of selectInput, addEventMask and hear.
struct X11EventMask {
    static constexpr long structure = 1L << 17;     // its own configure, map, reparent, destroy
    static constexpr long substructure = 1L << 19;  // the same of its children, and their creation
    static constexpr long properties = 1L << 22;    // changes of its properties
};

// One X event, reduced to what the ports look at.
struct X11Event {
    enum class Kind {
        configure,      // `window` changed geometry; `rect` relative to its parent
        destroy,        // `window` was destroyed
        map,
        unmap,
        create,         // a child of `eventWindow` (usually the root) was created
        reparent,
        property,       // `atom` of `window` changed (`deleted` when removed)
        keyPress,
        keyRelease,
        screensChanged, // RandR: outputs, CRTCs, monitors or the screen size changed
        keyboardMapping, // the keyboard or modifier mapping changed; key lookups already follow it
        generic,        // an extension's event (XInput2 raw input): `extension`, `evtype`, `detail`
        circulate,      // `window` went to the top or the bottom of its siblings
        resync,         // events of other programs' windows were dropped in a flood: what is
                        // followed of windows and the client list is to be read again
        other,
    };
    Kind kind = Kind::other;
    XWindowId window = 0;       // the window the event is about
    XWindowId eventWindow = 0;  // the window whose event mask delivered it
    XWindowId parent = 0;       // reparent: the window's new parent
    XAtomId atom = 0;
    bool deleted = false;
    bool synthetic = false;     // sent by a client (XSendEvent), e.g. a WM's ICCCM ConfigureNotify
    Rect rect;                  // configure: x, y, width, height as the event gives them
    int borderWidth = 0;        // configure
    XWindowId aboveSibling = 0; // configure: the sibling right below the window (0: it is the lowest)
    bool overrideRedirect = false;  // configure, map: the window bypasses the window manager
    uint32_t keycode = 0;
    uint32_t modifiers = 0;     // X modifier state of a key event
    int extension = 0;          // generic: the extension's major opcode
    int evtype = 0;             // generic: the extension's event type
    uint32_t detail = 0;        // generic XInput2 raw event: the button or key code
    unsigned long serial = 0;
};

// A property as the server stored it. 32-bit items are widened to `long`, as Xlib hands them out.
struct X11Property {
    XAtomId type = 0;
    int format = 0;  // 8, 16 or 32
    std::vector<uint8_t> bytes;  // format 8
    std::vector<long> items;     // format 16 or 32
};

// One window's answer to a batched property read.
struct X11PropertyAnswer {
    bool windowExists = false;          // false: the id names no window (BadWindow)
    std::optional<X11Property> value;   // absent when the window has no such property
};

// Who owns a window, as the server and the window itself tell.
struct X11WindowOwner {
    bool windowExists = false;
    std::optional<int32_t> serverPid;   // the process of the client that made it (X-Resource)
    std::optional<int32_t> claimedPid;  // its own _NET_WM_PID, which any client may set to anything
};

// A window's attributes and where its client area lies on the root window.
struct X11WindowGeometry {
    Rect rootRect;  // client area, root coordinates
    double borderWidth = 0;
    bool viewable = false;
    bool overrideRedirect = false;
    bool inputOnly = false;
};

// An active RandR monitor (RandR 1.5), or the screen itself when RandR is missing.
struct X11Monitor {
    std::string name;       // the monitor's name: the connector's name for an automatic monitor
    bool primary = false;
    Rect rootRect;
    std::vector<unsigned long> outputs;  // RandR output ids driving it (none for a virtual one)
};

struct X11Pointer {
    Point root;
    uint32_t buttons = 0;    // bit 0 = button 1, ...
    uint32_t modifiers = 0;  // X modifier state
};

// The single X connection of the process and the only place that talks to the X server. The
// window, screen, window-list and hot-key backends all go through it.
//
// Errors: Xlib reports errors through one process-wide handler, and by default that handler ends
// the process. Opening the first connection installs a handler that never does: errors of
// requests made inside an ErrorTrap are recorded and answered to the caller as a status (a window
// that vanished gives BadWindow, a grab someone else holds gives BadAccess); errors outside a trap
// (replies to fire-and-forget requests about windows that have gone) are dropped, BadWindow
// quietly and everything else with a log line. Displays that are not ours go to whatever handler
// was installed before. Only the thread that owns a connection may use it.
//
// Death: the server can go away under a connection at any moment (a session ending kills it
// together with its clients). Xlib then no longer ends the process; the connection is marked
// broken at the first failed read or write, logs that once and tells its listeners. From then on
// nothing is sent to Xlib or XCB: requests answer noConnection or do nothing, reads answer absent
// (what the read model keeps still answers), waits end at once, and the destructor leaves the
// display alone. Xlib must not be touched again: it stops emptying its output buffer, and once
// that is full every request function writes through a null pointer.
class X11Connection {
public:
    using LogSink = std::function<void(const std::string&)>;

    // None when the display cannot be opened (no server, no permission). `displayName` null means
    // $DISPLAY.
    static std::unique_ptr<X11Connection> open(const char* displayName = nullptr,
                                               LogSink log = nullptr);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // --- the connection ---------------------------------------------------------------------
    int fd() const;
    XWindowId root() const { return root_; }
    Size rootSize();
    // Sends everything buffered.
    void flush();
    // Sends everything buffered and waits until the server has handled it: one round trip.
    void sync();
    // Reads what the server sent (without blocking) and hands every event to the listeners.
    void processEvents();
    // Whether Xlib already holds events that have not been handed out; the event loop checks
    // this before it sleeps, as such events do not make the socket readable.
    bool hasQueuedEvents() const;
    // For loops with nothing else to wait on (tests, tools): waits up to `timeoutMs` for data,
    // then processes. Answers whether any event was handed out.
    bool waitAndProcess(int timeoutMs);
    [[nodiscard]] Subscription onEvent(std::function<void(const X11Event&)> listener);
    // A turn of the event loop begins (the loop calls this before it waits): the read model's
    // answers then look at the socket once in the turn and once after each wait for the server,
    // not before every answer (a system call each). Until the first call they look every time.
    void beginTurn() {
        readsByTurn_ = true;
        socketReadDue_ = true;
    }
    // The read model's next answer looks at the socket, even within a turn: for an answer that
    // must follow what another connection of ours just heard.
    void readSocketNext() { socketReadDue_ = true; }
    // How often the memory a backlog of events took was given back; tests count it.
    uint64_t backlogReleases() const { return backlog_.releases; }
    // How often the read model has looked at the socket for events; tests count it.
    uint64_t socketReads() const { return socketReads_; }
    // What floods of events cost: read from the server, handed out, folded, dropped (see
    // X11EventBacklog.cpp); benchmarks print it beside their times.
    const X11EventBacklog::Counts& eventCounts() const { return backlog_.counts; }
    // For Xlib's conversion of each event as it is read: whether it is kept.
    bool admits(const void* xevent);
    // Takes every event the server has sent so far out of Xlib's queue (the socket looked at as
    // beginTurn and readSocketNext say), telling onArrival's listeners of each; processEvents
    // hands them out later, in order. The read model calls this before every answer.
    void peekQueuedEvents();
    // Told of every event as it is taken from the server, before any onEvent listener hears it:
    // for the read model, which must never answer behind what the server has said.
    [[nodiscard]] Subscription onArrival(std::function<void(const X11Event&)> listener);
    // Told of every property this connection writes or removes (the server's event about it
    // comes later): what was known of it no longer holds.
    [[nodiscard]] Subscription onPropertyWritten(std::function<void(XWindowId, XAtomId)> listener);

    // --- the connection's death -------------------------------------------------------------
    // Whether the server is gone for this connection: marked so by a failed read or write.
    bool broken() { return !usable(); }
    // The same, and a look at the socket: a server that went while nothing was read or written
    // shows there first (a system call; for the quit and its checks, not for every request).
    bool probeBroken();
    // Told once, when the connection is found broken. Listeners may run inside an Xlib call
    // (its I/O error handler): they must not wait for anything there.
    [[nodiscard]] Subscription onBroken(std::function<void()> listener);
    // Another connection of this process (the toolkit's) broke: told with `why` for it.
    [[nodiscard]] static Subscription onOtherConnectionBroken(std::function<void(const std::string& why)> listener);
    // Installs the process-wide handler of broken connections again. Opening the first
    // connection installs it; a toolkit that installs its own afterwards (Qt's connection ends
    // the process from its handler) takes it over until this is called.
    static void routeBrokenConnections();

    // --- atoms ------------------------------------------------------------------------------
    XAtomId atom(std::string_view name);
    std::string atomName(XAtomId atom);

    // --- round trips -----------------------------------------------------------------------
    // Every time this connection has waited for the server's answer (a reply, or a batch of
    // them sent together) or for the window manager's; benchmarks and tests print it.
    uint64_t roundTrips() const { return roundTrips_; }

    // --- this process's own windows -------------------------------------------------------------
    // Windows made on another connection of this process (the toolkit's, whose id base the
    // toolkit's edge hands over) or on this one are known to be ours without asking: their owner
    // is this process, and nothing of them is read ahead as of other programs' windows.
    void addOwnClient(uint32_t idBase) { ownClients_.push_back(idBase); }
    bool madeByThisProcess(XWindowId window) const;
    // Made by this connection itself, not another of this process.
    bool madeOnThisConnection(XWindowId window) const {
        return !ownClients_.empty() && clientOf(window) == ownClients_.front();
    }

    // --- properties and window queries (absent when the window is gone or has no such value) ---
    // These answer from the read model (X11DesktopModel): values read once and kept valid from
    // X's events; only windows the model does not keep are read every time.
    std::optional<X11Property> property(XWindowId window, XAtomId property);
    std::optional<std::vector<XWindowId>> windowList(XWindowId window, std::string_view property);
    std::optional<std::vector<XAtomId>> atomList(XWindowId window, std::string_view property);
    std::optional<std::vector<long>> cardinals(XWindowId window, std::string_view property);
    // A text property: UTF8_STRING as it is, STRING as Latin-1 converted to UTF-8.
    std::optional<std::string> text(XWindowId window, std::string_view property);
    std::optional<X11WindowGeometry> geometry(XWindowId window);
    // Read from the server now, for a read-back after a move.
    std::optional<X11WindowGeometry> freshGeometry(XWindowId window);
    std::optional<X11SizeHints> normalHints(XWindowId window);
    // WM_CLASS: (instance, class).
    std::optional<std::pair<std::string, std::string>> wmClass(XWindowId window);
    std::optional<XWindowId> transientFor(XWindowId window);
    // Whether the window manager may give `window` the keyboard focus: ICCCM's WM_HINTS input
    // true (or no hint, which managers read as true) or WM_TAKE_FOCUS among its protocols. A
    // window that takes no input (xclock) is never focused, and managers that go by that never
    // activate nor raise it when asked to activate it.
    bool takesFocus(XWindowId window);
    // The process behind a window's client, from the X-Resource extension. Absent when the id
    // names no window, the extension is missing or the server cannot tell (a remote client).
    std::optional<int32_t> clientPidFromServer(XWindowId window);

    // --- batched reads (lists of ids that any client may fill with made-up ones) ------------
    // Every request is sent before the first answer is awaited, so a list costs a round trip
    // per few thousand ids, not one per id; an id that is not a window answers windowExists
    // false. One answer per id, in order.
    std::vector<X11PropertyAnswer> properties(std::span<const XWindowId> windows, XAtomId property,
                                              long maxItems);
    // How much of a property the read model and the direct reads take, in 32-bit units (as the
    // server counts): each property its own cap, titles kTitleBytes (see X11PropertyCaps.cpp).
    static constexpr long kTitleBytes = 4096;
    long propertyItemCap(XAtomId property);
    // _NET_WM_PID of each window, and, for the windows that exist, the process of the client
    // that created them, asked of the server in one request for all their clients.
    std::vector<X11WindowOwner> windowOwners(std::span<const XWindowId> windows);
    // The geometry of many windows, with every request sent before the first answer is awaited.
    std::vector<std::optional<X11WindowGeometry>> geometries(std::span<const XWindowId> windows);
    bool windowExists(XWindowId window);
    X11DesktopModel& desktop() { return *desktop_; }

    // --- straight from the server, bypassing the read model (which asks through these) ------
    std::optional<X11Property> readProperty(XWindowId window, XAtomId property);
    std::optional<X11WindowGeometry> readGeometry(XWindowId window);
    // The parent of each window (none when it is gone), every request sent before the first
    // answer is awaited.
    std::vector<std::optional<XWindowId>> readParents(std::span<const XWindowId> windows);
    // The children of a window, bottom to top as the server stacks them; none when it is gone.
    // `serial`, if given, gets the request's: events carrying a lower one came before the answer.
    std::optional<std::vector<XWindowId>> readChildren(XWindowId window, unsigned long* serial = nullptr);
    // The children of each window (none when it is gone), every request sent before the first
    // answer is awaited.
    std::vector<std::optional<std::vector<XWindowId>>> readChildren(std::span<const XWindowId> windows);
    std::vector<X11Monitor> readMonitors();
    Size readRootSize();
    std::optional<std::vector<uint8_t>> readOutputEdid(unsigned long output);
    std::optional<std::string> readOutputName(unsigned long output);

    // --- requests to windows and to the window manager -------------------------------------
    // Adds `mask` (Xlib event-mask bits) to the events we hear from `window`; other clients'
    // masks are unaffected. BadWindow when it has gone.
    X11Status selectInput(XWindowId window, long mask);
    // The same for many windows without waiting: windows that have gone are passed over.
    void addEventMask(std::span<const XWindowId> windows, long mask);
    // Hears `mask` of `window` for as long as the answer is held, as selectInput asks it; its end
    // takes back, without waiting, what no other interest and no lasting ask (selectInput,
    // addEventMask) still wants. Empty when the window has gone.
    [[nodiscard]] Subscription hear(XWindowId window, long mask);
    // The same for many windows without waiting, as addEventMask: an interest per window, in order.
    [[nodiscard]] std::vector<Subscription> hearAll(std::span<const XWindowId> windows, long mask);
    // What was asked to hear of `window` is asked afresh next time: its id may come to name
    // another client's new window (it left the client list). Its interests then end without a
    // word to the server. A destroyed window is forgotten here without this.
    void forgetEventMask(XWindowId window);
    // Whether all of `mask` is selected on `window` (asked, and not known to be gone).
    bool hears(XWindowId window, long mask) const;
    // A client message to the window manager about `window` (sent to the root, as EWMH asks).
    X11Status sendToWindowManager(XWindowId window, std::string_view messageType,
                                  const std::array<long, 5>& data);
    // Asks the window manager (_NET_MOVERESIZE_WINDOW, north-west gravity) to put the top-left
    // corner of `window`'s frame, decorations included, at `frameOrigin` (root coordinates) and
    // to make its client area `clientSize`. Whichever is left out stays as it is.
    X11Status requestMoveResize(XWindowId window, std::optional<Point> frameOrigin,
                                std::optional<Size> clientSize);
    // A plain ConfigureWindow request on `window` (the window manager redirects it to itself and
    // reads the position by the client's window gravity); for managers without the message
    // above. Whichever is left out stays as it is.
    X11Status requestConfigure(XWindowId window, std::optional<Point> position, std::optional<Size> size);
    // _NET_WM_STATE: action 0 remove, 1 add, 2 toggle.
    X11Status requestWmState(XWindowId window, long action, std::string_view first,
                             std::string_view second = {});
    X11Status requestActivate(XWindowId window);
    // Asks the window manager to put `window` above the windows of its layer without focusing it:
    // _NET_RESTACK_WINDOW as a pager asks where the manager lists it, else a ConfigureWindow with
    // stack mode Above, which the manager redirects to itself.
    X11Status requestRaise(XWindowId window);
    // Puts `window` above its siblings itself: for a window no manager redirects (ours, or a frame
    // the manager made override-redirect).
    X11Status raiseWindow(XWindowId window);
    X11Status requestIconify(XWindowId window);
    // A 32-bit CARDINAL property of ours on any window. BadWindow when the window has gone.
    X11Status setCardinal(XWindowId window, std::string_view property, long value);
    // The same for many windows without waiting (set or removed; removing a missing one is no
    // error): windows that have gone are passed over.
    void setCardinals(std::span<const XWindowId> windows, std::string_view property, long value);
    void removeProperties(std::span<const XWindowId> windows, std::string_view property);
    // ICCCM deiconify: map the window again; the window manager brings it back to normal state.
    X11Status requestMap(XWindowId window);
    // The same for many windows without waiting: windows that have gone are passed over.
    void requestMaps(std::span<const XWindowId> windows);
    // ICCCM WM_CHANGE_STATE to NormalState: asks the window manager to restore an iconic window
    // without activating it (managers that take only IconicState there ignore it).
    X11Status requestNormalState(XWindowId window);
    // ICCCM WM_DELETE_WINDOW, sent to the client itself: the polite close, which the client may
    // answer by asking its user. badMatch when the window does not take that protocol (it would
    // have to be killed, which this never does).
    X11Status requestDelete(XWindowId window);

    // --- screens ----------------------------------------------------------------------------
    bool hasRandR() const { return randrEventBase_ >= 0; }
    // Asks for RandR change events on the root (screensChanged). Without RandR, nothing.
    void selectScreenChanges();
    std::vector<X11Monitor> monitors();
    std::optional<std::vector<uint8_t>> outputEdid(unsigned long output);
    std::optional<std::string> outputName(unsigned long output);
    std::optional<X11Pointer> pointer();

    // --- keys -------------------------------------------------------------------------------
    // Key lookups answer the current mapping: when the server reports a keyboard or modifier
    // mapping change (a layout switch, xmodmap, another keyboard), Xlib's key tables are
    // refreshed before the change is handed out as a keyboardMapping event. Nothing here is
    // cached beyond those tables.
    // 0 when the keysym has no key on this keyboard.
    uint32_t keycodeForKeysym(unsigned long keysym);
    // The modifier bit that Num Lock sets (0 when no key carries it) and Scroll Lock's.
    uint32_t numLockMask();
    uint32_t scrollLockMask();
    // Held keys then repeat as presses without releases in between, so a press can be told from
    // a repeat. Answers whether the server supports it.
    bool useDetectableAutoRepeat();
    // A passive grab on the root: BadAccess when another client holds it.
    X11Status grabKey(uint32_t keycode, uint32_t modifiers);
    void ungrabKey(uint32_t keycode, uint32_t modifiers);

    // --- waiting --------------------------------------------------------------------------------
    // Processes events (handing them to the listeners) until `condition` holds or `timeoutSeconds`
    // pass; answers the condition.
    bool waitFor(const std::function<bool()>& condition, double timeoutSeconds);
    // The window manager's round trip (X11ManagerWatch::roundTrip), which tests and tools ask
    // after nearly every step.
    bool windowManagerRoundTrip(double timeoutSeconds);
    // The serial number of the last request sent: events caused by it or later carry at least it.
    unsigned long lastRequestSerial() const;

    // --- window manager ---------------------------------------------------------------------
    // Which one runs, its round trips and echoes, and what it was learnt to do.
    X11ManagerWatch& manager() { return *manager_; }

    _XDisplay* display() const { return display_; }

    // Records errors of every request made while it lives; check() waits for the server and
    // answers the first one. Traps nest.
    class ErrorTrap {
    public:
        explicit ErrorTrap(X11Connection& connection);
        ~ErrorTrap();
        ErrorTrap(const ErrorTrap&) = delete;
        ErrorTrap& operator=(const ErrorTrap&) = delete;
        // Without a round trip: errors already received (enough after a request with a reply).
        X11Status received() const;
        // After a round trip: every request since the trap began has been answered.
        X11Status check();

    private:
        X11Connection& connection_;
        unsigned long firstSerial_;
    };

    // For the process-wide error handlers.
    void noteError(unsigned long serial, int errorCode, int requestCode);

    // For the connection's parts that ask the server themselves (X11ManagerWatch,
    // X11EventInterests): a wait for the server's answer begins, counted, and timed under `what`
    // to the end of the caller's scope.
    [[nodiscard]] WaitBounds::Timed trip(const WaitBound& what, uint64_t count = 1) {
        roundTrips_ += count;
        return WaitBounds::Timed(what);
    }
    // A line to the connection's log.
    void log(const std::string& line) const;

private:
    X11Connection(_XDisplay* display, LogSink log);
    void dispatch(void* xevent, bool noted);
    // An event taken from the server: its arrival listeners hear it, and a destroyed window's
    // event mask is forgotten.
    void arrived(const X11Event& event);
    // False once the connection is broken (noticed here when XCB has seen it first): every
    // Xlib and XCB call is made only after this answered true.
    bool usable();
    void markBroken(const std::string& why);
    // The client that made a resource: the part of its id outside the resource mask.
    uint32_t clientOf(unsigned long id) const { return static_cast<uint32_t>(id) & ~idMask_; }
    X11Event convert(const void* xevent) const;

    _XDisplay* display_ = nullptr;
    XWindowId root_ = 0;
    LogSink log_;
    std::map<std::string, XAtomId, std::less<>> atoms_;
    std::unordered_map<XAtomId, long> itemCaps_;  // propertyItemCap's answers for atoms it knows
    int randrEventBase_ = -1;
    int randrErrorBase_ = -1;
    bool hasXRes_ = false;
    uint32_t idMask_ = 0;                // the resource-id mask, the same for every client
    std::vector<uint32_t> ownClients_;   // id bases of this process's connections
    bool screenChangesSelected_ = false;
    Signal<X11Event> events_;
    Signal<X11Event> arrivals_;
    Signal<XWindowId, XAtomId> written_;
    bool broken_ = false;
    Signal<> brokenSignal_;
    uint64_t roundTrips_ = 0;
    bool readsByTurn_ = false;
    bool socketReadDue_ = true;
    uint64_t tripsAtSocketRead_ = 0;
    uint64_t socketReads_ = 0;
    // What we asked to hear of each window (X11EventInterests.cpp).
    std::unique_ptr<X11EventInterests> interests_;
    std::unique_ptr<X11DesktopModel> desktop_;
    std::unique_ptr<X11ManagerWatch> manager_;
    // Events taken out of Xlib's queue for the read model, not yet handed out.
    X11EventBacklog backlog_;
    void boundEvents();
    void unboundEvents();
    void settleDrops();
    void hold(const void* xevent);
    void noteKept(int type);
    // noteBacklog as each call begins and after each read of the socket notes the most events
    // held at once; releaseBacklog gives their memory back once a call handed out `handedOut`
    // events and left none in hand (X11EventBacklog.cpp).
    void noteBacklog();
    void releaseBacklog(size_t handedOut);

    struct TrappedError {
        unsigned long serial;
        int code;
    };
    int trapDepth_ = 0;
    std::vector<TrappedError> trapped_;
};

}  // namespace tessane::linux_backend
