// A small X client that plays "another application" for the X11 tests and the benchmark.
//
//   tessane-x11-client [options] [FILE...]
//     --class INSTANCE.CLASS   WM_CLASS (default tessane-test.TessaneTest)
//     --title TEXT             _NET_WM_NAME and WM_NAME
//     --size WxH --pos X,Y     initial client size and position (default 400x300 at 100,100)
//     --min WxH                WM_NORMAL_HINTS minimum size
//     --increments WxH         WM_NORMAL_HINTS resize increments (a terminal's character cell)
//     --base WxH               WM_NORMAL_HINTS base size, from which the increments count
//     --border N               an X border of N pixels around the window (as xterm and xclock have)
//     --shadow L,R,T,B         draw its own frame: no window-manager decorations (_MOTIF_WM_HINTS)
//                              and an invisible shadow margin of that many pixels on each side
//                              (_GTK_FRAME_EXTENTS), as a GTK window on a compositing desktop
//     --windows N              top-level windows to open (default 1)
//     --dialog                 one more window: a dialog, transient for the first
//     --delay SECONDS          wait before opening windows (an app that shows its window late)
//     --close-after SECONDS    destroy the windows and exit after that long
//     --fullscreen             ask for _NET_WM_STATE_FULLSCREEN before mapping
//     --skip-taskbar           ask for _NET_WM_STATE_SKIP_TASKBAR before mapping (a tray app's window)
//     --no-input               take no keyboard input: WM_HINTS input false and no WM_TAKE_FOCUS (as
//                              xclock), so window managers never focus it
//     --no-pid                 leave _NET_WM_PID unset
//     --claim-pid PID          set _NET_WM_PID to PID instead of its own
//     --grab-key KEYSYM:MASK   grab a key chord on the root (prints "grabbed" or "grab-failed")
//     --strut-top N            be a dock that reserves N pixels along the top of the root
//     --report-clicks          print "click X,Y" (window coordinates) for every button press
//     --gtk-app-id ID          _GTK_APPLICATION_ID, as a GApplication's windows carry it
//     --kde-desktop-file NAME  _KDE_NET_WM_DESKTOP_FILE, as a KDE application's windows carry it
//     --user-time-window       keep the user time on a window of its own (_NET_WM_USER_TIME_WINDOW),
//                              named 0.1 s before the window maps, as GTK does
//     --startup-id-on-leader   put the startup id on a client leader window (WM_CLIENT_LEADER), as
//                              GTK does, instead of on each window
//     --restack-storm N        play a hostile client: map N small override-redirect windows off the
//                              screen and raise them all in turn every 5 ms for as long as it runs
//     --reparent-storm         play a hostile client: without pause, make a window on the root, put
//                              it into an unmapped window of its own and destroy it there
//     --squat                  play a hostile client: hold the window manager's selection (WM_S0) and
//                              announce itself as a manager (_NET_SUPPORTING_WM_CHECK, _NET_SUPPORTED,
//                              the client list as it finds it), yet redirect and manage nothing
//     FILE...                  documents it was started with (only its command line names them)
//
// As toolkits do, a DESKTOP_STARTUP_ID in its environment becomes its windows' _NET_STARTUP_ID.
// Prints "window 0x<id>" for each window once it is mapped, then "ready". Reads commands on
// standard input: "fullscreen", "unfullscreen", "close" (destroy the windows and exit), "withdraw"
// (destroy the windows and keep running, as a tray app does), and
// "list N": play a hostile client that replaces the root's _NET_CLIENT_LIST with N made-up ids
// (half of them in this client's own id range, none a window) with the ids listed before spread
// among them, and last one new unmapped window of its own (a reader that has taken that window in
// has been through the whole list); prints "listed 0x<new window> 0x<a made-up id>".
// "stack N": the same with _NET_CLIENT_LIST_STACKING.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xlib-xcb.h>  // the client's resource id range
#include <X11/Xutil.h>
#include <xcb/xcb.h>

#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Options {
    std::string instance = "tessane-test", klass = "TessaneTest", title = "Tessane test window";
    int width = 400, height = 300, x = 100, y = 100;
    int minWidth = 0, minHeight = 0;
    int incWidth = 0, incHeight = 0, baseWidth = -1, baseHeight = -1;
    int border = 0;
    bool shadow = false;
    long shadowMargins[4] = {0, 0, 0, 0};  // left, right, top, bottom
    int windows = 1;
    bool dialog = false, fullscreen = false, skipTaskbar = false, setPid = true, noInput = false;
    long claimedPid = 0;
    double delay = 0, closeAfter = -1;
    std::string grabKey;
    int strutTop = 0;
    bool reportClicks = false;
    std::string gtkAppId, kdeDesktopFile;
    bool userTimeWindow = false, startupIdOnLeader = false;
    int restackStorm = 0;
    bool reparentStorm = false;
    bool squat = false;
};

bool parseSize(const char* text, int& w, int& h) { return std::sscanf(text, "%dx%d", &w, &h) == 2; }

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "missing value for %s\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--class") {
            std::string v = next();
            auto dot = v.find('.');
            o.instance = v.substr(0, dot);
            o.klass = dot == std::string::npos ? v : v.substr(dot + 1);
        } else if (a == "--title") o.title = next();
        else if (a == "--size") parseSize(next(), o.width, o.height);
        else if (a == "--pos") std::sscanf(next(), "%d,%d", &o.x, &o.y);
        else if (a == "--min") parseSize(next(), o.minWidth, o.minHeight);
        else if (a == "--increments") parseSize(next(), o.incWidth, o.incHeight);
        else if (a == "--base") parseSize(next(), o.baseWidth, o.baseHeight);
        else if (a == "--border") o.border = std::atoi(next());
        else if (a == "--shadow") {
            o.shadow = std::sscanf(next(), "%ld,%ld,%ld,%ld", &o.shadowMargins[0], &o.shadowMargins[1],
                                   &o.shadowMargins[2], &o.shadowMargins[3]) == 4;
        }
        else if (a == "--windows") o.windows = std::atoi(next());
        else if (a == "--dialog") o.dialog = true;
        else if (a == "--delay") o.delay = std::atof(next());
        else if (a == "--close-after") o.closeAfter = std::atof(next());
        else if (a == "--fullscreen") o.fullscreen = true;
        else if (a == "--skip-taskbar") o.skipTaskbar = true;
        else if (a == "--no-input") o.noInput = true;
        else if (a == "--no-pid") o.setPid = false;
        else if (a == "--claim-pid") o.claimedPid = std::atol(next());
        else if (a == "--grab-key") o.grabKey = next();
        else if (a == "--strut-top") o.strutTop = std::atoi(next());
        else if (a == "--report-clicks") o.reportClicks = true;
        else if (a == "--gtk-app-id") o.gtkAppId = next();
        else if (a == "--kde-desktop-file") o.kdeDesktopFile = next();
        else if (a == "--user-time-window") o.userTimeWindow = true;
        else if (a == "--startup-id-on-leader") o.startupIdOnLeader = true;
        else if (a == "--restack-storm") o.restackStorm = std::atoi(next());
        else if (a == "--reparent-storm") o.reparentStorm = true;
        else if (a == "--squat") o.squat = true;
        else if (!a.starts_with("--")) continue;  // a document
        else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            std::exit(2);
        }
    }
    return o;
}

Display* display;
Atom netWmState, netWmStateFullscreen;

void setText(Window w, const char* property, const std::string& text) {
    XChangeProperty(display, w, XInternAtom(display, property, False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}

void setSizeHints(const Options& o, Window w, bool dialog) {
    XSizeHints* sizeHints = XAllocSizeHints();
    sizeHints->flags = USPosition | USSize;
    sizeHints->x = o.x;
    sizeHints->y = o.y;
    sizeHints->width = o.width;
    sizeHints->height = o.height;
    if (o.minWidth > 0 && !dialog) {
        sizeHints->flags |= PMinSize;
        sizeHints->min_width = o.minWidth;
        sizeHints->min_height = o.minHeight;
    }
    if (o.incWidth > 0 && o.incHeight > 0 && !dialog) {
        sizeHints->flags |= PResizeInc;
        sizeHints->width_inc = o.incWidth;
        sizeHints->height_inc = o.incHeight;
    }
    if (o.baseWidth >= 0 && !dialog) {
        sizeHints->flags |= PBaseSize;
        sizeHints->base_width = o.baseWidth;
        sizeHints->base_height = o.baseHeight;
    }
    XSetWMNormalHints(display, w, sizeHints);
    XFree(sizeHints);
}

// What tells the application behind the window: toolkit ids, the startup id and the pid.
void setIdentity(const Options& o, Window w) {
    if (!o.gtkAppId.empty()) setText(w, "_GTK_APPLICATION_ID", o.gtkAppId);
    if (!o.kdeDesktopFile.empty()) setText(w, "_KDE_NET_WM_DESKTOP_FILE", o.kdeDesktopFile);
    if (const char* startup = std::getenv("DESKTOP_STARTUP_ID"); startup && *startup) {
        Window holder = w;
        if (o.startupIdOnLeader) {
            static Window leader = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
            XChangeProperty(display, w, XInternAtom(display, "WM_CLIENT_LEADER", False), XA_WINDOW, 32,
                            PropModeReplace, reinterpret_cast<unsigned char*>(&leader), 1);
            holder = leader;
        }
        setText(holder, "_NET_STARTUP_ID", startup);
    }
    if (o.noInput) {
        XWMHints* hints = XAllocWMHints();
        hints->flags = InputHint;
        hints->input = False;
        XSetWMHints(display, w, hints);
        XFree(hints);
    }
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, w, &deleteWindow, 1);
    if (o.setPid) {
        long pid = o.claimedPid > 0 ? o.claimedPid : getpid();
        XChangeProperty(display, w, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
    }
}

// Its window type and owner, its own frame or a dock's strut, and the states asked for.
void setKind(const Options& o, Window w, bool dialog, Window owner) {
    Atom type = XInternAtom(display, dialog ? "_NET_WM_WINDOW_TYPE_DIALOG" : "_NET_WM_WINDOW_TYPE_NORMAL", False);
    XChangeProperty(display, w, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
    if (dialog && owner) XSetTransientForHint(display, w, owner);
    if (o.shadow && !dialog) {
        // _MOTIF_WM_HINTS: flags = decorations given, decorations = none.
        long motif[5] = {2, 0, 0, 0, 0};
        Atom motifAtom = XInternAtom(display, "_MOTIF_WM_HINTS", False);
        XChangeProperty(display, w, motifAtom, motifAtom, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(motif), 5);
        XChangeProperty(display, w, XInternAtom(display, "_GTK_FRAME_EXTENTS", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(o.shadowMargins), 4);
    }
    if (o.strutTop > 0) {
        Atom dock = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False);
        XChangeProperty(display, w, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(&dock), 1);
        long strut[12] = {0, 0, o.strutTop, 0, 0, 0, 0, 0, 0, DisplayWidth(display, 0) - 1, 0, 0};
        XChangeProperty(display, w, XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL,
                        32, PropModeReplace, reinterpret_cast<unsigned char*>(strut), 12);
    }
    if (o.fullscreen && !dialog)
        XChangeProperty(display, w, netWmState, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&netWmStateFullscreen), 1);
    if (o.skipTaskbar) {
        Atom skip = XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False);
        XChangeProperty(display, w, netWmState, XA_ATOM, 32, PropModeAppend, reinterpret_cast<unsigned char*>(&skip), 1);
    }
}

Window makeWindow(const Options& o, const std::string& title, bool dialog, Window owner, bool map = true) {
    Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), o.x, o.y, o.width, o.height, 0,
                                   0, 0xFFFFFF);
    if (o.border > 0) XSetWindowBorderWidth(display, w, o.border);  // before the window manager sees it
    XSelectInput(display, w, StructureNotifyMask | PropertyChangeMask | (o.reportClicks ? ButtonPressMask : 0));
    XStoreName(display, w, title.c_str());
    setText(w, "_NET_WM_NAME", title);
    XClassHint hint{const_cast<char*>(o.instance.c_str()), const_cast<char*>(o.klass.c_str())};
    XSetClassHint(display, w, &hint);
    setSizeHints(o, w, dialog);
    setIdentity(o, w);
    setKind(o, w, dialog, owner);
    if (o.userTimeWindow && !dialog) {
        Window timeWindow = XCreateWindow(display, w, -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent, 0, nullptr);
        XChangeProperty(display, w, XInternAtom(display, "_NET_WM_USER_TIME_WINDOW", False), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(&timeWindow), 1);
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (map) XMapWindow(display, w);
    return w;
}

void requestFullscreen(Window w, bool on) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = netWmState;
    e.xclient.format = 32;
    e.xclient.data.l[0] = on ? 1 : 0;
    e.xclient.data.l[1] = static_cast<long>(netWmStateFullscreen);
    e.xclient.data.l[3] = 1;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(display);
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Made-up ids: the top of this client's own range (never allocated by a short-lived client)
// and ids of clients that are not connected (high client numbers).
void listMadeUpIds(const Options& o, long count, const char* property) {
    Atom type;
    int format;
    unsigned long n = 0, after;
    unsigned char* data = nullptr;
    const Atom clientList = XInternAtom(display, property, False);
    std::vector<long> before;
    if (XGetWindowProperty(display, DefaultRootWindow(display), clientList, 0, 1 << 18, False, XA_WINDOW, &type,
                           &format, &n, &after, &data) == Success && data) {
        before.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + n);
        XFree(data);
    }
    const Window own = makeWindow(o, o.title + " unlisted", false, 0, /*map=*/false);
    const xcb_setup_t* setup = xcb_get_setup(XGetXCBConnection(display));
    const long base = setup->resource_id_base, mask = setup->resource_id_mask;
    const long lastClient = 0x1FFFFFFFL & ~mask;
    // The ids listed before go between the made-up ones, spread evenly; our own window comes last.
    const long step = std::max(1L, count / static_cast<long>(before.size() + 1));
    std::vector<long> list;
    for (long i = 0; i < count; ++i) {
        list.push_back(i % 2 ? (base | (mask - i / 2)) : ((lastClient - (i / 2 % 64) * (mask + 1)) | (i + 1)));
        if ((i + 1) % step == 0 && !before.empty()) {
            list.push_back(before.back());
            before.pop_back();
        }
    }
    list.insert(list.end(), before.begin(), before.end());
    list.push_back(static_cast<long>(own));
    XChangeProperty(display, DefaultRootWindow(display), clientList, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(list.data()), static_cast<int>(list.size()));
    XSync(display, False);
    char line[64];
    std::snprintf(line, sizeof line, "listed 0x%lx 0x%lx", own, base | mask);
    say(line);
}

// Holds the manager's selection and says it is one, as a manager that does nothing would.
void squat() {
    const Window root = DefaultRootWindow(display);
    const Window check = XCreateSimpleWindow(display, root, -10, -10, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, XInternAtom(display, "WM_S0", False), check, CurrentTime);
    const Atom checkAtom = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    for (Window w : {check, root})
        XChangeProperty(display, w, checkAtom, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&check), 1);
    setText(check, "_NET_WM_NAME", "Squatter");
    std::vector<Atom> supported;
    for (const char* name : {"_NET_SUPPORTED", "_NET_SUPPORTING_WM_CHECK", "_NET_CLIENT_LIST", "_NET_ACTIVE_WINDOW",
                             "_NET_MOVERESIZE_WINDOW", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN"})
        supported.push_back(XInternAtom(display, name, False));
    XChangeProperty(display, root, XInternAtom(display, "_NET_SUPPORTED", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(supported.data()), static_cast<int>(supported.size()));
    // The top-level windows there are, as the client list a manager keeps.
    Window parent = 0, rootReturn = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, root, &rootReturn, &parent, &children, &count);
    std::vector<Window> clients;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a{};
        if (children[i] != check && XGetWindowAttributes(display, children[i], &a) && !a.override_redirect &&
            a.map_state == IsViewable)
            clients.push_back(children[i]);
    }
    if (children) XFree(children);
    XChangeProperty(display, root, XInternAtom(display, "_NET_CLIENT_LIST", False), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(clients.data()), static_cast<int>(clients.size()));
    XSync(display, False);
}

// A burst of the storms asked for, then a round trip, so that the storm keeps the server busy
// without running ahead of it.
struct Storms {
    std::vector<Window> restacked;
    Window holder = 0;
    size_t next = 0;

    explicit Storms(const Options& o) {
        const Window root = DefaultRootWindow(display);
        XSetWindowAttributes bypass{};
        bypass.override_redirect = True;
        for (int i = 0; i < o.restackStorm; ++i) {
            restacked.push_back(XCreateWindow(display, root, -20, -20, 10, 10, 0, CopyFromParent, InputOutput,
                                              CopyFromParent, CWOverrideRedirect, &bypass));
            XMapWindow(display, restacked.back());
        }
        if (o.reparentStorm) holder = XCreateSimpleWindow(display, root, -20, -20, 10, 10, 0, 0, 0);
        // At the lowest priority, as a program the user leaves running behind their work: at the
        // priority of everything else, beside a busy loop on every core, the storm outran Metacity,
        // whose backlog grew by the second (a minute behind, 100 MB of queued events), and the
        // window manager, not Tessane, was what a show and a hide waited on.
        if (active()) setpriority(PRIO_PROCESS, 0, 19);
    }
    bool active() const { return holder || !restacked.empty(); }
    void burst() {
        for (size_t i = 0; i < restacked.size(); ++i) XRaiseWindow(display, restacked[next++ % restacked.size()]);
        for (int i = 0; holder && i < 200; ++i) {
            const Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
            XReparentWindow(display, w, holder, 0, 0);
            XDestroyWindow(display, w);
        }
        XSync(display, False);
        // As fast as a program that restacks on a timer goes (every animation frame or so).
        if (!restacked.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
};

// Grabs the chord "KEYSYM:MASK" on the root and says whether it got it.
void grabKey(const std::string& chord) {
    char keysymName[64] = {0};
    unsigned mask = 0;
    std::sscanf(chord.c_str(), "%63[^:]:%u", keysymName, &mask);
    static bool failed;
    failed = false;
    XSetErrorHandler([](Display*, XErrorEvent* e) {
        if (e->error_code == BadAccess) failed = true;
        return 0;
    });
    KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysymName));
    XGrabKey(display, code, mask, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    say(failed || code == 0 ? "grab-failed" : "grabbed");
}

// The windows it runs, and what it has said of them.
struct Run {
    std::vector<Window> windows;
    size_t mapped = 0;
    bool readySaid = false;
};

// Says each window mapped (and "ready" once all are) and each click; whether it was asked to close.
bool handleEvents(Run& run) {
    while (XPending(display)) {
        XEvent e;
        XNextEvent(display, &e);
        if (e.type == MapNotify) {
            char id[32];
            std::snprintf(id, sizeof id, "window 0x%lx", e.xmap.window);
            say(id);
            if (++run.mapped == run.windows.size() && !run.readySaid) {
                run.readySaid = true;
                say("ready");
            }
        } else if (e.type == ButtonPress) {
            say("click " + std::to_string(e.xbutton.x) + "," + std::to_string(e.xbutton.y));
        } else if (e.type == ClientMessage &&
                   static_cast<Atom>(e.xclient.data.l[0]) == XInternAtom(display, "WM_DELETE_WINDOW", False)) {
            return true;
        }
    }
    return false;
}

// The commands of one read of standard input; whether one was "close".
bool handleCommands(const Options& o, Run& run, const std::string& commands) {
    if (auto at = commands.find("list "); at != std::string::npos)
        listMadeUpIds(o, std::atol(commands.c_str() + at + 5), "_NET_CLIENT_LIST");
    if (auto at = commands.find("stack "); at != std::string::npos)
        listMadeUpIds(o, std::atol(commands.c_str() + at + 6), "_NET_CLIENT_LIST_STACKING");
    if (commands.find("unfullscreen") != std::string::npos) {
        for (Window w : run.windows) requestFullscreen(w, false);
    } else if (commands.find("fullscreen") != std::string::npos) {
        for (Window w : run.windows) requestFullscreen(w, true);
    }
    if (commands.find("withdraw") != std::string::npos) {
        for (Window w : run.windows) XDestroyWindow(display, w);
        run.windows.clear();
        XSync(display, False);
    }
    if (commands.find("close") != std::string::npos) {
        for (Window w : run.windows) XDestroyWindow(display, w);
        XSync(display, False);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options o = parse(argc, argv);
    display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open display\n");
        return 1;
    }
    netWmState = XInternAtom(display, "_NET_WM_STATE", False);
    netWmStateFullscreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);

    if (!o.grabKey.empty()) grabKey(o.grabKey);
    if (o.squat) squat();
    if (o.delay > 0) std::this_thread::sleep_for(std::chrono::duration<double>(o.delay));

    Run run;
    for (int i = 0; i < o.windows; ++i)
        run.windows.push_back(makeWindow(o, o.windows > 1 ? o.title + " " + std::to_string(i + 1) : o.title, false, 0));
    if (o.dialog && !run.windows.empty())
        run.windows.push_back(makeWindow(o, o.title + " dialog", true, run.windows[0]));
    XFlush(display);

    Storms storms(o);
    run.readySaid = run.windows.empty();
    if (run.readySaid) say("ready");
    const auto start = std::chrono::steady_clock::now();
    bool stdinOpen = true;
    for (;;) {
        if (handleEvents(run)) return 0;
        if (o.closeAfter >= 0 &&
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= o.closeAfter + o.delay) {
            for (Window w : run.windows) XDestroyWindow(display, w);
            XSync(display, False);
            return 0;
        }
        if (storms.active()) storms.burst();
        pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (poll(fds, stdinOpen ? 2 : 1, storms.active() ? 0 : 20) <= 0) continue;
        if (stdinOpen && (fds[1].revents & (POLLIN | POLLHUP))) {
            char buffer[256];
            ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer - 1);
            if (n <= 0) {
                stdinOpen = false;
                continue;
            }
            buffer[n] = 0;
            if (handleCommands(o, run, buffer)) return 0;
        }
    }
}
