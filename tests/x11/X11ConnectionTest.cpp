#include "platform/linux/x11/X11DesktopModel.h"
#include "x11/X11TestBase.h"

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <map>
#include <thread>
#include <unistd.h>

namespace tessane::x11test {
namespace {

using linux_backend::X11EventMask;
using linux_backend::X11Event;
using linux_backend::X11Status;
using linux_backend::XAtomId;
using linux_backend::XWindowId;

class X11ConnectionTest : public X11TestBase {};

bool contains(const std::optional<std::vector<XWindowId>>& list, XWindowId w) {
    return list && std::find(list->begin(), list->end(), w) != list->end();
}

// What each manager of the matrix calls itself on its check window (IceWM adds its version).
std::string announcedNameOf(const std::string& manager) {
    static const std::map<std::string, std::string> names{
        {"openbox", "Openbox"},   {"xfwm4", "Xfwm4"},   {"icewm", "IceWM "},   {"fluxbox", "Fluxbox"},
        {"metacity", "Metacity"}, {"marco", "Metacity (Marco)"}, {"mutter", "Mutter"}, {"kwin", "KWin"}};
    const auto it = names.find(manager);
    return it == names.end() ? manager : it->second;
}

TEST_F(X11ConnectionTest, SeesTheWindowManagerAndAClientWithItsProperties) {
    const std::string expected = announcedNameOf(server_->windowManagerName());
    const std::string name = x_->windowManagerName().value_or("");
    EXPECT_TRUE(expected.ends_with(' ') ? name.starts_with(expected) : name == expected) << name;

    auto& client = startClient({"--class", "alpha.Alpha", "--title", "Grüße", "--min", "300x200"});
    ASSERT_EQ(client.windows.size(), 1u);
    const XWindowId w = client.windows[0];
    ASSERT_TRUE(waitFor([&] { return contains(x_->windowList(x_->root(), "_NET_CLIENT_LIST"), w); }));

    EXPECT_EQ(x_->text(w, "_NET_WM_NAME"), "Grüße");
    auto wmClass = x_->wmClass(w);
    ASSERT_TRUE(wmClass);
    EXPECT_EQ(wmClass->first, "alpha");
    EXPECT_EQ(wmClass->second, "Alpha");
    auto pid = x_->cardinals(w, "_NET_WM_PID");
    ASSERT_TRUE(pid && !pid->empty());
    EXPECT_EQ((*pid)[0], client.process->pid());
    auto hints = x_->normalHints(w);
    ASSERT_TRUE(hints && hints->minSize);
    EXPECT_EQ(*hints->minSize, (Size{300, 200}));
    auto g = x_->geometry(w);
    ASSERT_TRUE(g);
    EXPECT_TRUE(g->viewable);
    EXPECT_EQ(g->rootRect.size, (Size{400, 300}));

    // The manager's echoes asked without waiting are heard in the order asked, more of them than
    // the widths that tell them apart; the waited-for echo still answers after them.
    uint64_t first = 0, last = 0;
    for (int i = 0; i < 1100; ++i) (first ? last : first) = x_->askWindowManagerEcho();
    EXPECT_FALSE(x_->windowManagerEchoed(first));  // nothing is heard before events are handled
    EXPECT_TRUE(waitFor([&] { return x_->windowManagerEchoed(last); }));
    EXPECT_TRUE(x_->windowManagerEcho(10));
}

// Any client may set a property of any length: a title is read only as far as a title goes, cut
// between characters, kept and direct reads alike, while a client list keeps its length.
TEST_F(X11ConnectionTest, EachPropertyIsReadOnlyAsFarAsItsUseGoes) {
    auto& client = startClient({"--title", "short"});
    const XWindowId w = client.windows[0];
    ASSERT_TRUE(waitFor([&] { return contains(x_->windowList(x_->root(), "_NET_CLIENT_LIST"), w); }));
    ASSERT_EQ(x_->text(w, "_NET_WM_NAME"), "short");
    Display* other = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(other, nullptr);
    std::string huge = "x";
    while (huge.size() < (size_t{1} << 20)) huge += "\u00E9";  // two bytes each, one off the cap's parity
    const Atom utf8 = XInternAtom(other, "UTF8_STRING", False);
    XChangeProperty(other, w, XInternAtom(other, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(huge.data()), static_cast<int>(huge.size()));
    const Window unlisted = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 10, 10, 0, 0, 0);
    XChangeProperty(other, unlisted, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(huge.data()), static_cast<int>(huge.size()));
    XSync(other, False);

    ASSERT_TRUE(waitFor([&] { return x_->text(w, "_NET_WM_NAME") != "short"; }));
    const auto title = x_->text(w, "_NET_WM_NAME");
    ASSERT_TRUE(title);
    EXPECT_EQ(*title, huge.substr(0, linux_backend::X11Connection::kTitleBytes - 1));  // no half of an é
    const auto direct = x_->text(unlisted, "WM_NAME");
    ASSERT_TRUE(direct);
    EXPECT_EQ(direct->size(), 1 + 2 * 4095u);  // read as Latin-1: the x, then 4,095 bytes of two in UTF-8
    XCloseDisplay(other);
}

TEST_F(X11ConnectionTest, FindsThePidOfAClientWithoutNetWmPidThroughTheServer) {
    auto& client = startClient({"--no-pid"});
    ASSERT_EQ(client.windows.size(), 1u);
    EXPECT_FALSE(x_->cardinals(client.windows[0], "_NET_WM_PID"));
    EXPECT_EQ(x_->clientPidFromServer(client.windows[0]), client.process->pid());
}

TEST_F(X11ConnectionTest, BatchedReadsTellWindowsFromIdsThatNameNothingAndTheServersPidFromTheClaim) {
    auto& claims = startClient({"--claim-pid", "1"});
    auto& plain = startClient({"--no-pid"});
    const XWindowId w = claims.windows[0];
    // Ids that name no window: one in the range of a connected client (the server knows that
    // client's process), the server's own client 0 range, and a 32-bit value past any id.
    const XWindowId unused = w | 0xFFFF, serverRange = 0x1234, past = 0xFFFFFFFF;
    const std::vector<XWindowId> ids{unused, w, serverRange, plain.windows[0], x_->root(), past, w};

    const auto owners = x_->windowOwners(ids);
    ASSERT_EQ(owners.size(), ids.size());
    EXPECT_FALSE(owners[0].windowExists);
    EXPECT_FALSE(owners[0].serverPid);  // though its client is connected
    EXPECT_TRUE(owners[1].windowExists);
    EXPECT_EQ(owners[1].serverPid, claims.process->pid());
    EXPECT_EQ(owners[1].claimedPid, 1);
    EXPECT_FALSE(owners[2].windowExists);
    EXPECT_EQ(owners[3].serverPid, plain.process->pid());
    EXPECT_FALSE(owners[3].claimedPid);
    EXPECT_TRUE(owners[4].windowExists);  // the root: the server's own, no process to name
    EXPECT_FALSE(owners[4].serverPid);
    EXPECT_FALSE(owners[5].windowExists);
    EXPECT_EQ(owners[6].serverPid, owners[1].serverPid);
    EXPECT_FALSE(x_->clientPidFromServer(unused));

    const auto names = x_->properties(ids, x_->atom("_NET_WM_NAME"), 64);
    ASSERT_EQ(names.size(), ids.size());
    ASSERT_TRUE(names[1].value);
    EXPECT_EQ(std::string(names[1].value->bytes.begin(), names[1].value->bytes.end()), "Tessane test window");
    EXPECT_FALSE(names[0].value);
    EXPECT_TRUE(names[4].windowExists);
    EXPECT_TRUE(x_->properties({}, x_->atom("_NET_WM_NAME"), 64).empty());
    x_->sync();
    x_->processEvents();
    EXPECT_TRUE(logLines_.empty()) << logLines_.front();  // the refused ids were expected
}

TEST_F(X11ConnectionTest, AnEventThatArrivesDuringABatchedReadIsSeenWaitingByTheEventLoop) {
    const XAtomId probe = x_->atom("TESSANE_PROBE");
    x_->selectInput(x_->root(), X11EventMask::properties);
    x_->sync();
    // Another client changes a root property; the event reaches us while we wait for answers.
    Display* other = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(other, nullptr);
    long value = 1;
    XChangeProperty(other, DefaultRootWindow(other), static_cast<Atom>(probe), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
    XSync(other, False);
    XCloseDisplay(other);
    const std::vector<XWindowId> ids(1000, x_->root());
    x_->properties(ids, x_->atom("_NET_WM_NAME"), 1);

    // The loop sleeps unless the socket is readable or this says so: the event must not be
    // left where neither tells of it.
    EXPECT_TRUE(x_->hasQueuedEvents());
    bool heard = false;
    auto listener = x_->onEvent([&](const X11Event& e) { heard = heard || (e.kind == X11Event::Kind::property && e.atom == probe); });
    x_->processEvents();
    EXPECT_TRUE(heard);
}

// The read model looked at the socket before every answer, a system call each. Once the event
// loop marks its turns it looks once a turn and after each answer waited for, and still never
// answers from before an event that came ahead of such an answer.
TEST_F(X11ConnectionTest, TheSocketIsReadOnceATurnAndAfterEachWaitForTheServer) {
    // The manager's own start-up done (a busy machine slows it): a window of its that the read
    // model had not seen would be asked about, a read of its own.
    ASSERT_TRUE(x_->windowManagerEcho(10));
    x_->processEvents();
    const XAtomId probe = x_->atom("TESSANE_PROBE");
    x_->selectInput(x_->root(), X11EventMask::properties);
    x_->beginTurn();
    EXPECT_EQ(x_->property(x_->root(), probe), std::nullopt);  // read from the server: a wait
    x_->property(x_->root(), probe);  // so the socket is read once more
    const auto reads = x_->socketReads();
    for (int i = 0; i < 50; ++i) x_->property(x_->root(), probe);
    EXPECT_EQ(x_->socketReads(), reads);

    Display* other = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(other, nullptr);
    long value = 7;
    XChangeProperty(other, DefaultRootWindow(other), static_cast<Atom>(probe), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
    XSync(other, False);
    XCloseDisplay(other);
    x_->sync();  // the change's event came before this answer
    EXPECT_EQ(x_->cardinals(x_->root(), "TESSANE_PROBE"), (std::vector<long>{7}));
    EXPECT_EQ(x_->socketReads(), reads + 1);
    x_->beginTurn();
    x_->property(x_->root(), probe);
    x_->property(x_->root(), probe);
    EXPECT_EQ(x_->socketReads(), reads + 2);
}

TEST_F(X11ConnectionTest, KeptGeometryOutlivesOtherWindowsButNotAMoveOfItsFrame) {
    auto& client = startClient({});
    const XWindowId w = client.windows[0];
    ASSERT_TRUE(waitFor([&] { return contains(x_->windowList(x_->root(), "_NET_CLIENT_LIST"), w); }));
    ASSERT_TRUE(waitFor([&] { auto g = x_->geometry(w); return g && g->viewable; }));
    const Rect placed = x_->geometry(w)->rootRect;
    // KWin moves it a moment after answering the round trip.
    x_->requestMoveResize(w, Point{200, 150}, std::nullopt);
    ASSERT_TRUE(x_->windowManagerRoundTrip(5));
    ASSERT_TRUE(waitFor([&] { return x_->geometry(w) && x_->geometry(w)->rootRect.origin != placed.origin; }));
    // What the manager still does after the move (Metacity adjusts the frame once more when it is
    // slow) has been heard before the geometry is taken as kept.
    ASSERT_TRUE(x_->windowManagerRoundTrip(5));
    x_->processEvents();
    const Rect before = x_->geometry(w)->rootRect;

    // Another client makes, maps and moves a window of its own that bypasses the manager (as
    // menus and our own panels do): what is kept of the client still holds, unasked. Unless the
    // manager moved the client's frame or wrote its client list meanwhile (Metacity under load
    // does both a while after a move): then what was kept goes, rightly.
    const XWindowId frame = x_->desktop().frameOf(w).value_or(w);
    bool managerMoved = false;
    auto managerMoves = x_->onEvent([&](const X11Event& e) {
        managerMoved = managerMoved || (e.kind == X11Event::Kind::configure && (e.window == w || e.window == frame)) ||
                       (e.kind == X11Event::Kind::property && e.window == x_->root() &&
                        e.atom == x_->atom("_NET_CLIENT_LIST"));
    });
    Display* other = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(other, nullptr);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window menu = XCreateWindow(other, DefaultRootWindow(other), 10, 10, 50, 40, 0, CopyFromParent, InputOutput,
                                      CopyFromParent, CWOverrideRedirect, &attributes);
    XMapWindow(other, menu);
    XMoveWindow(other, menu, 30, 20);
    XSync(other, False);
    x_->sync();
    x_->processEvents();
    const uint64_t trips = x_->roundTrips();
    ASSERT_TRUE(x_->geometry(w));
    if (!managerMoved) {
        EXPECT_EQ(x_->geometry(w)->rootRect, before);
        EXPECT_EQ(x_->roundTrips(), trips);
    }
    XCloseDisplay(other);

    // A window the manager takes in now gets a frame of its own: framing it and moving that
    // frame carry no other client, and its own geometry follows its frame.
    auto& late = startClient({});
    const XWindowId v = late.windows[0];
    ASSERT_TRUE(waitFor([&] { return contains(x_->windowList(x_->root(), "_NET_CLIENT_LIST"), v); }));
    ASSERT_TRUE(x_->windowManagerRoundTrip(5));
    x_->processEvents();
    const auto lateBefore = x_->geometry(v);
    ASSERT_TRUE(lateBefore);
    // Fluxbox changes windows of its own as well when one moves, the other client's frame among
    // them: what was kept of the client may then go, rightly.
    const XWindowId wFrame = x_->desktop().frameOf(w).value_or(w);
    bool wConfigured = server_->windowManagerName() == "fluxbox";
    auto configures = x_->onEvent([&](const X11Event& e) {
        wConfigured = wConfigured || (e.kind == X11Event::Kind::configure && (e.window == w || e.window == wFrame));
    });
    x_->requestMoveResize(v, Point{500, 400}, std::nullopt);
    ASSERT_TRUE(x_->windowManagerRoundTrip(5));
    EXPECT_TRUE(waitFor([&] { return x_->geometry(v) && x_->geometry(v)->rootRect.origin != lateBefore->rootRect.origin; }));
    const uint64_t afterLate = x_->roundTrips();
    EXPECT_EQ(x_->geometry(w)->rootRect, before);
    if (!wConfigured) {
        EXPECT_EQ(x_->roundTrips(), afterLate);
    }

    // A window of another program's neither framed nor bypassing the manager, there before a connection watched (Xfwm
    // sizes one of its own at every show): its changes leave what is kept, after one question of what it holds.
    Display* third = XOpenDisplay(server_->display().c_str());
    const Window own = XCreateSimpleWindow(third, DefaultRootWindow(third), 0, 0, 20, 20, 0, 0, 0);
    XSync(third, False);
    auto fresh = linux_backend::X11Connection::open(server_->display().c_str(), [](const std::string&) {});
    ASSERT_TRUE(fresh && fresh->geometry(w));
    bool resized = false;
    auto heard = fresh->onEvent([&](const X11Event& e) { resized = resized || (e.kind == X11Event::Kind::configure && e.window == own); });
    const auto resize = [&](unsigned width) {  // the manager passes it on
        resized = false;
        XResizeWindow(third, own, width, 20);
        XSync(third, False);
        return waitFor([&] { fresh->processEvents(); return resized; });
    };
    ASSERT_TRUE(resize(30));
    const uint64_t asked = fresh->roundTrips();
    EXPECT_TRUE(fresh->geometry(w) && resize(40) && fresh->geometry(w));
    EXPECT_EQ(fresh->roundTrips(), asked);
    XCloseDisplay(third);

    // The manager moves the frame, which carries the client: that is seen.
    x_->requestMoveResize(w, Point{260, 190}, std::nullopt);
    ASSERT_TRUE(x_->windowManagerRoundTrip(5));
    EXPECT_TRUE(waitFor([&] {
        auto g = x_->geometry(w);
        return g && g->rootRect.minX() == before.minX() + 60 && g->rootRect.minY() == before.minY() + 40;
    }));
}

// A private server with no window manager, where the test acts as one, and the backend's
// connection to it, its log lines kept.
class WithoutWindowManager : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        bare_ = X11TestServer::start({.windowManager = false}, &error);
        ASSERT_TRUE(bare_) << error;
        x_ = linux_backend::X11Connection::open(bare_->display().c_str(),
                                                [this](const std::string& line) { lines_.push_back(line); });
        ASSERT_TRUE(x_);
    }
    std::vector<std::string> lines_;
    std::unique_ptr<X11TestServer> bare_;
    std::unique_ptr<linux_backend::X11Connection> x_;
};
class X11DesktopModelTest : public WithoutWindowManager {};
class X11ConnectionDeathTest : public WithoutWindowManager {};

// A window manager resizes a frame, then the client inside it in a request of its own; only the
// frame's change reaches the root. A client read between the two is not kept at its old size.
// Here the test is the window manager, on a server without one.
TEST_F(X11DesktopModelTest, AClientResizedInsideItsFrameAfterTheFrameIsSeenAgain) {
    Display* wm = XOpenDisplay(bare_->display().c_str());
    ASSERT_NE(wm, nullptr);
    const Window root = DefaultRootWindow(wm);
    const Window frame = XCreateSimpleWindow(wm, root, 100, 100, 400, 300, 0, 0, 0);
    const Window client = XCreateSimpleWindow(wm, frame, 0, 20, 400, 280, 0, 0, 0);
    XMapWindow(wm, client);
    XMapWindow(wm, frame);
    const long list[] = {static_cast<long>(client)};
    XChangeProperty(wm, root, XInternAtom(wm, "_NET_CLIENT_LIST", False), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(list), 1);
    XSync(wm, False);
    const auto settle = [&] {
        XSync(wm, False);
        x_->sync();
        x_->processEvents();
    };
    settle();
    ASSERT_TRUE(x_->geometry(client));
    EXPECT_EQ(x_->geometry(client)->rootRect, Rect(100, 120, 400, 280));

    XResizeWindow(wm, frame, 600, 300);
    settle();
    ASSERT_TRUE(x_->geometry(client));
    EXPECT_EQ(x_->geometry(client)->rootRect.width(), 400) << "read between the frame and its client";
    XResizeWindow(wm, client, 600, 280);
    settle();
    ASSERT_TRUE(x_->geometry(client));
    EXPECT_EQ(x_->geometry(client)->rootRect, Rect(100, 120, 600, 280));
    XCloseDisplay(wm);
}

// A watch of a window the model does not keep (it is not listed) holds what it asked for only
// while it is held: its end leaves the window hearing what was asked to last, and its frame is let
// go; a window destroyed under a watch is forgotten at once, and the watch's end asks nothing.
TEST_F(X11DesktopModelTest, AWatchsEndTakesBackItsInputAndTheFrameItKept) {
    Display* other = XOpenDisplay(bare_->display().c_str());
    ASSERT_NE(other, nullptr);
    const Window frame = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 100, 100, 0, 0, 0);
    const Window inner = XCreateSimpleWindow(other, frame, 0, 20, 100, 80, 0, 0, 0);
    XSync(other, False);
    const auto selected = [&](Window w) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(x_->display(), w, &attributes);
        return attributes.your_event_mask;
    };
    auto& model = x_->desktop();
    const long both = X11EventMask::structure | X11EventMask::properties;
    Subscription watch = model.watch(inner, both);
    ASSERT_TRUE(watch);
    EXPECT_EQ(model.knownFrameOf(inner), frame);
    EXPECT_EQ(selected(inner), both);
    ASSERT_TRUE(x_->selectInput(inner, X11EventMask::properties).ok());
    watch.reset();
    EXPECT_EQ(selected(inner), X11EventMask::properties);
    EXPECT_FALSE(model.knownFrameOf(inner));
    EXPECT_TRUE(model.clientsIn(frame).empty());

    Subscription again = model.watch(inner, X11EventMask::structure);
    ASSERT_TRUE(again);
    XDestroyWindow(other, frame);
    XSync(other, False);
    x_->sync();
    x_->processEvents();
    EXPECT_FALSE(model.knownFrameOf(inner));
    again.reset();
    EXPECT_EQ(x_->selectInput(inner, X11EventMask::structure).error, X11Status::badWindow);
    XCloseDisplay(other);
}

// Answers derived from a few properties of every listed client (each process's windows by type,
// the struts) are kept while those properties stay: a title or a state changing on one window
// must not make them walk every listed window again.
TEST_F(X11DesktopModelTest, AVersionNarrowedToSomePropertiesIgnoresTheOthers) {
    Display* wm = XOpenDisplay(bare_->display().c_str());
    ASSERT_NE(wm, nullptr);
    const Window root = DefaultRootWindow(wm);
    const Window client = XCreateSimpleWindow(wm, root, 100, 100, 400, 300, 0, 0, 0);
    const long list[] = {static_cast<long>(client)};
    XChangeProperty(wm, root, XInternAtom(wm, "_NET_CLIENT_LIST", False), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(list), 1);
    const auto set = [&](const char* name, Atom type, long value) {
        XChangeProperty(wm, client, XInternAtom(wm, name, False), type, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&value), 1);
        XSync(wm, False);
        x_->sync();
    };
    set("_NET_WM_WINDOW_TYPE", XA_ATOM, static_cast<long>(XInternAtom(wm, "_NET_WM_WINDOW_TYPE_NORMAL", False)));
    set("_NET_WM_PID", XA_CARDINAL, 1);
    auto& model = x_->desktop();
    const XAtomId type = x_->atom("_NET_WM_WINDOW_TYPE");
    ASSERT_TRUE(x_->atomList(client, "_NET_WM_WINDOW_TYPE"));
    ASSERT_EQ(x_->cardinals(client, "_NET_WM_PID"), (std::vector<long>{1}));
    const uint64_t all = model.version(), types = model.version({type});

    set("_NET_WM_PID", XA_CARDINAL, 2);
    EXPECT_EQ(x_->cardinals(client, "_NET_WM_PID"), (std::vector<long>{2}));
    EXPECT_NE(model.version(), all);
    EXPECT_EQ(model.version({type}), types);

    set("_NET_WM_WINDOW_TYPE", XA_ATOM, static_cast<long>(XInternAtom(wm, "_NET_WM_WINDOW_TYPE_DOCK", False)));
    EXPECT_NE(model.version({type}), types);
    XCloseDisplay(wm);
}

// IceWM and Fluxbox make their frames override-redirect: such a frame carries the client it
// holds when the manager moves it (a title-bar drag tells the client nothing), while our own
// override-redirect panels carry nothing. Here the test is the window manager.
TEST_F(X11DesktopModelTest, AnOverrideRedirectFrameCarriesItsClientAndOurPanelsNothing) {
    Display* wm = XOpenDisplay(bare_->display().c_str());
    Display* toolkit = XOpenDisplay(bare_->display().c_str());
    ASSERT_TRUE(wm && toolkit);
    x_->addOwnClient(xcb_get_setup(XGetXCBConnection(toolkit))->resource_id_base);
    const Window root = DefaultRootWindow(wm);
    XSetWindowAttributes bypass{};
    bypass.override_redirect = True;
    const auto overrideRedirect = [&](Display* d, Window parent, int x0, int y0, unsigned w, unsigned h) {
        const Window made = XCreateWindow(d, parent, x0, y0, w, h, 0, CopyFromParent, InputOutput, CopyFromParent,
                                          CWOverrideRedirect, &bypass);
        XMapWindow(d, made);
        return made;
    };
    // The client two levels down, as IceWM nests it.
    const Window frame = overrideRedirect(wm, root, 100, 100, 404, 300);
    const Window inner = XCreateSimpleWindow(wm, frame, 2, 20, 400, 280, 0, 0, 0);
    const Window client = XCreateSimpleWindow(wm, inner, 0, 0, 400, 280, 0, 0, 0);
    XMapWindow(wm, client);
    XMapWindow(wm, inner);
    const long list[] = {static_cast<long>(client)};
    XChangeProperty(wm, root, XInternAtom(wm, "_NET_CLIENT_LIST", False), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(list), 1);
    const Window panel = overrideRedirect(toolkit, root, 90, 90, 30, 30);
    const auto settle = [&] {
        XSync(wm, False);
        XSync(toolkit, False);
        x_->sync();
        x_->processEvents();
    };
    settle();
    ASSERT_TRUE(x_->geometry(client));
    EXPECT_EQ(x_->geometry(client)->rootRect, Rect(102, 120, 400, 280));
    EXPECT_EQ(x_->desktop().frameOf(client), frame);
    EXPECT_EQ(x_->desktop().clientFrames(), std::vector<XWindowId>{frame});

    XMoveWindow(wm, frame, 300, 200);
    settle();
    ASSERT_TRUE(x_->geometry(client));
    EXPECT_EQ(x_->geometry(client)->rootRect.origin, (Point{302, 220})) << "a drag of the frame";

    XMoveWindow(toolkit, panel, 400, 220);
    XUnmapWindow(toolkit, panel);
    XMapWindow(toolkit, panel);
    settle();
    const uint64_t trips = x_->roundTrips();
    EXPECT_EQ(x_->geometry(client)->rootRect.origin, (Point{302, 220}));
    EXPECT_EQ(x_->roundTrips(), trips) << "our panel going up and down took what was kept";

    // Into a new frame, the old one gone: the client goes with the new one only.
    const Window next = overrideRedirect(wm, root, 500, 400, 400, 300);
    XReparentWindow(wm, client, next, 0, 20);
    XDestroyWindow(wm, frame);
    settle();
    EXPECT_EQ(x_->desktop().frameOf(client), next);
    XMoveWindow(wm, next, 600, 450);
    settle();
    ASSERT_TRUE(x_->geometry(client));
    EXPECT_EQ(x_->geometry(client)->rootRect.origin, (Point{600, 470}));
    EXPECT_EQ(x_->desktop().clientFrames(), std::vector<XWindowId>{next});
    XCloseDisplay(toolkit);
    XCloseDisplay(wm);
}

// A client that puts window after window of its own into one of its top-level windows and
// destroys each there: nothing tells the root of those ends, so none of them is kept; a window
// whose own events are heard is kept in the same place until it goes, and is heard going after
// the memory the flood's backlog took was given back.
TEST_F(X11DesktopModelTest, WindowsPutAwayFromTheRootAreKeptOnlyWhileTheirGoingIsHeard) {
    Display* hostile = XOpenDisplay(bare_->display().c_str());
    ASSERT_NE(hostile, nullptr);
    const Window root = DefaultRootWindow(hostile);
    auto& model = x_->desktop();
    model.rootStacking();  // the root's children are followed from here on
    const Window holder = XCreateSimpleWindow(hostile, root, 0, 0, 100, 100, 0, 0, 0);
    const Window watched = XCreateSimpleWindow(hostile, root, 0, 0, 10, 10, 0, 0, 0);
    const auto settle = [&] {
        XSync(hostile, False);
        x_->sync();
        x_->processEvents();
    };
    settle();
    const auto watch = model.watch(watched, X11EventMask::structure);
    ASSERT_TRUE(watch);
    XReparentWindow(hostile, watched, holder, 5, 5);
    for (int i = 0; i < 3000; ++i) {
        const Window w = XCreateSimpleWindow(hostile, root, 0, 0, 10, 10, 0, 0, 0);
        XReparentWindow(hostile, w, holder, 0, 0);
        XDestroyWindow(hostile, w);
    }
    settle();
    EXPECT_EQ(model.clientsIn(holder), std::vector<XWindowId>{watched});
    settle();  // a call that finds little in hand after the backlog: what it took is given back
    EXPECT_EQ(x_->backlogReleases(), 1u);
    XDestroyWindow(hostile, watched);
    settle();
    EXPECT_TRUE(model.clientsIn(holder).empty());
    XCloseDisplay(hostile);
}

// The chrome's stacking rule asks for the root's children at every restack: they are read once
// and followed from what the root hears (raised, lowered, restacked beside a sibling, made,
// reparented in and out, destroyed), in the server's own order, with no second read.
TEST_F(X11DesktopModelTest, TheRootsChildrenAreFollowedInTheServersOrderWithoutAskingAgain) {
    Display* wm = XOpenDisplay(bare_->display().c_str());
    ASSERT_NE(wm, nullptr);
    const Window root = DefaultRootWindow(wm);
    const auto make = [&](Window parent) {
        const Window w = XCreateSimpleWindow(wm, parent, 10, 10, 50, 50, 0, 0, 0);
        XMapWindow(wm, w);
        return w;
    };
    const Window a = make(root), b = make(root), c = make(root);
    const auto settle = [&] {
        XSync(wm, False);
        x_->sync();
        x_->processEvents();
    };
    const auto server = [&] {
        Window parent = 0, up = 0, *kids = nullptr;
        unsigned count = 0;
        XQueryTree(wm, root, &up, &parent, &kids, &count);
        std::vector<XWindowId> out(kids, kids + count);
        if (kids) XFree(kids);
        return out;
    };
    settle();
    auto& model = x_->desktop();
    ASSERT_EQ(model.rootStacking(), server());

    const Window d = make(root);
    XRaiseWindow(wm, a);
    XLowerWindow(wm, c);
    XWindowChanges below{};
    below.sibling = b;
    below.stack_mode = Below;
    XConfigureWindow(wm, d, CWSibling | CWStackMode, &below);
    XReparentWindow(wm, b, c, 0, 0);  // out of the root
    const Window e = make(d);
    XReparentWindow(wm, e, root, 5, 5);  // into it, on top
    XDestroyWindow(wm, a);
    XMoveResizeWindow(wm, d, 20, 20, 60, 60);  // a configure that leaves the order
    settle();
    const uint64_t trips = x_->roundTrips();
    EXPECT_EQ(model.rootStacking(), server());
    EXPECT_EQ(x_->roundTrips(), trips);

    // The order's version: the same for children moved, sized, unmapped or mapped in their places
    // (a show's moves do not have the applications' windows walked again) and for a raise of one
    // that bypasses the manager and holds nothing known (another program raising its own without
    // pause), new for any other raise.
    XSetWindowAttributes bypass{};
    bypass.override_redirect = True;
    const Window popup = XCreateWindow(wm, root, 0, 0, 10, 10, 0, CopyFromParent, InputOutput, CopyFromParent,
                                       CWOverrideRedirect, &bypass);
    XMapWindow(wm, popup);
    XLowerWindow(wm, popup);
    settle();
    const uint64_t version = model.stackingVersion();
    XMoveResizeWindow(wm, d, 30, 30, 70, 70);
    XMoveWindow(wm, c, 40, 40);
    XUnmapWindow(wm, e);
    XMapWindow(wm, e);
    XRaiseWindow(wm, popup);
    settle();
    EXPECT_EQ(model.stackingVersion(), version);
    XRaiseWindow(wm, c);
    settle();
    EXPECT_GT(model.stackingVersion(), version);
    EXPECT_EQ(model.rootStacking(), server());
    XCloseDisplay(wm);
}

TEST_F(X11DesktopModelTest, TheRootsChildrenAreKeptAsTheyStandFromTheRootsEvents) {
    Display* wm = XOpenDisplay(bare_->display().c_str());
    ASSERT_NE(wm, nullptr);
    const Window root = DefaultRootWindow(wm);
    XSetWindowAttributes bypass{};
    bypass.override_redirect = True;
    const Window shown = XCreateSimpleWindow(wm, root, 10, 10, 50, 50, 2, 0, 0);
    XMapWindow(wm, shown);
    const Window popup = XCreateWindow(wm, root, 0, 0, 20, 20, 0, CopyFromParent, InputOutput, CopyFromParent,
                                       CWOverrideRedirect, &bypass);
    const Window input = XCreateWindow(wm, root, 5, 5, 30, 30, 0, 0, InputOnly, CopyFromParent, 0, nullptr);
    XMapWindow(wm, input);
    const auto settle = [&] {
        XSync(wm, False);
        x_->sync();
        x_->processEvents();
    };
    settle();
    auto& model = x_->desktop();
    const std::vector<XWindowId> windows{shown, popup, input};
    const auto fresh = [&] {
        auto answers = x_->geometries(windows);
        answers[2].reset();  // moved out of the root below
        return answers;
    };
    const auto first = model.rootChildStates(windows);
    ASSERT_TRUE(first[0] && first[1] && first[2]);
    EXPECT_EQ(first[0]->rootRect, Rect(12, 12, 50, 50));
    EXPECT_TRUE(first[0]->viewable && first[1]->overrideRedirect && !first[1]->viewable && first[2]->inputOnly);

    // What a show and a manager do to frames, and a child taken out of the root: none of it asked.
    XMoveResizeWindow(wm, shown, 100, 40, 300, 200);
    XSetWindowBorderWidth(wm, shown, 0);
    XMapRaised(wm, popup);
    XUnmapWindow(wm, shown);
    XMapWindow(wm, shown);
    XMoveWindow(wm, popup, 7, 9);
    XReparentWindow(wm, input, popup, 0, 0);
    settle();
    const uint64_t trips = x_->roundTrips();
    const auto kept = model.rootChildStates(windows);
    EXPECT_EQ(x_->roundTrips(), trips);
    const auto server = fresh();
    for (size_t i = 0; i < windows.size(); ++i) {
        ASSERT_EQ(kept[i].has_value(), server[i].has_value()) << i;
        if (!kept[i]) continue;
        EXPECT_EQ(kept[i]->rootRect, server[i]->rootRect) << i;
        EXPECT_EQ(kept[i]->borderWidth, server[i]->borderWidth) << i;
        EXPECT_EQ(kept[i]->viewable, server[i]->viewable) << i;
        EXPECT_EQ(kept[i]->overrideRedirect, server[i]->overrideRedirect) << i;
    }
    XCloseDisplay(wm);
}

TEST_F(X11ConnectionTest, WindowsOfThisProcesssOtherConnectionAreOursWithoutAsking) {
    // A second connection of this process, as the toolkit's is, and another program's window.
    Display* toolkit = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(toolkit, nullptr);
    const Window panel = XCreateSimpleWindow(toolkit, DefaultRootWindow(toolkit), 0, 0, 10, 10, 0, 0, 0);
    XSync(toolkit, False);
    auto& client = startClient({});
    const XWindowId theirs = client.windows[0];
    EXPECT_FALSE(x_->madeByThisProcess(panel));
    x_->addOwnClient(xcb_get_setup(XGetXCBConnection(toolkit))->resource_id_base);
    EXPECT_TRUE(x_->madeByThisProcess(panel));
    EXPECT_FALSE(x_->madeByThisProcess(theirs));

    // The server is not asked which process made ours; an id of ours that names no window is
    // nobody's.
    const XWindowId both[] = {theirs, panel, panel + 1};
    const uint64_t trips = x_->roundTrips();
    auto owners = x_->windowOwners(both);
    EXPECT_EQ(owners[0].serverPid, client.process->pid());
    EXPECT_EQ(owners[1].serverPid, static_cast<int32_t>(::getpid()));
    EXPECT_FALSE(owners[2].windowExists);
    EXPECT_FALSE(owners[2].serverPid);
    const XWindowId ours[] = {panel};
    const uint64_t afterBoth = x_->roundTrips();
    EXPECT_EQ(x_->windowOwners(ours).front().serverPid, static_cast<int32_t>(::getpid()));
    EXPECT_EQ(x_->roundTrips(), afterBoth + 1);  // whether it still exists, with its claim
    EXPECT_GT(afterBoth, trips);
    XCloseDisplay(toolkit);
}

// A client that raises its own windows without pause floods every listener of the root, here
// one slower than the flood: each call hands out and takes ahead what has come by then, and
// returns while the flood goes on.
TEST_F(X11ConnectionTest, AClientFloodingTheRootWithEventsHoldsNoCallUntilItStops) {
    startClient({"--windows", "0", "--restack-storm", "200"});
    size_t heard = 0;
    const Subscription counting = x_->onEvent([&](const X11Event& e) {
        if (e.eventWindow != x_->root()) return;
        ++heard;
        std::this_thread::sleep_for(100us);
    });
    x_->desktop().rootStacking();  // the root's children are heard from here on
    ASSERT_TRUE(waitFor([&] { return heard > 2000; }));
    x_->desktop().rootStacking();
    x_->processEvents();
    EXPECT_FALSE(x_->broken());
}

TEST_F(X11ConnectionTest, RequestsAboutAVanishedWindowAnswerWithoutCrashingOrLogging) {
    const auto managerName = x_->windowManagerName();
    ASSERT_TRUE(managerName);
    auto& client = startClient({});
    const XWindowId w = client.windows[0];
    ASSERT_TRUE(x_->windowExists(w));
    client.process->writeLine("close");
    ASSERT_TRUE(client.process->wait(kAnswer.limit));
    ASSERT_TRUE(waitFor([&] { return !x_->windowExists(w); }));

    EXPECT_FALSE(x_->geometry(w));
    EXPECT_FALSE(x_->text(w, "_NET_WM_NAME"));
    EXPECT_FALSE(x_->wmClass(w));
    EXPECT_FALSE(x_->normalHints(w));
    EXPECT_EQ(x_->selectInput(w, X11EventMask::structure).error, X11Status::badWindow);
    EXPECT_EQ(x_->requestMap(w).error, X11Status::badWindow);
    x_->requestMoveResize(w, Point{0, 0}, Size{100, 100});
    EXPECT_EQ(x_->requestConfigure(w, Point{0, 0}, Size{100, 100}).error, X11Status::badWindow);
    x_->requestActivate(w);
    x_->requestIconify(w);
    x_->sync();
    x_->processEvents();
    EXPECT_TRUE(logLines_.empty()) << logLines_.front();
    EXPECT_EQ(x_->windowManagerName(), managerName);  // the connection still works
}

// Super+Alt: the managers of the matrix bind Super+F7 and Super+F8 (Fluxbox, KWin) for themselves.
TEST_F(X11ConnectionTest, AKeyChordGrabbedByAnotherClientIsRefusedWithBadAccess) {
    const uint32_t superAlt = (1u << 6) | (1u << 3);
    auto& other = startClient({"--grab-key", "F7:" + std::to_string(superAlt)}, /*waitReady=*/false);
    ASSERT_EQ(other.process->waitForLine("grab", kAnswer.limit), "grabbed");

    const uint32_t f7 = x_->keycodeForKeysym(XK_F7);
    ASSERT_NE(f7, 0u);
    EXPECT_EQ(x_->grabKey(f7, superAlt).error, X11Status::badAccess);
    const uint32_t f8 = x_->keycodeForKeysym(XK_F8);
    EXPECT_TRUE(x_->grabKey(f8, superAlt).ok());
    x_->ungrabKey(f8, superAlt);
}

// The server goes away under a connection with keys grabbed (a session ending). Xlib's output
// buffer is never written again: once full, each request would write through a null pointer.
TEST_F(X11ConnectionDeathTest, NothingReachesXlibOnceTheServerIsGone) {
    const uint32_t f7 = x_->keycodeForKeysym(XK_F7);
    ASSERT_TRUE(x_->grabKey(f7, Mod4Mask).ok());
    bool told = false;
    auto subscription = x_->onBroken([&] { told = true; });

    bare_->killServer();
    ASSERT_TRUE(waitFor([&] { return x_->probeBroken(); }));
    x_->sync();
    EXPECT_TRUE(told);
    const unsigned long next = NextRequest(x_->display());
    for (int i = 0; i < 20000; ++i) x_->ungrabKey(f7, Mod4Mask);
    EXPECT_EQ(x_->grabKey(f7, Mod4Mask).error, X11Status::noConnection);
    EXPECT_FALSE(x_->property(x_->root(), x_->atom("_NET_ACTIVE_WINDOW")));
    EXPECT_FALSE(x_->freshGeometry(x_->root()));
    EXPECT_FALSE(x_->windowManagerRoundTrip(1.0));
    x_->requestMoveResize(x_->root(), Point{0, 0}, Size{10, 10});
    x_->processEvents();
    EXPECT_EQ(NextRequest(x_->display()), next) << "a request was made on the dead connection";
    x_.reset();  // neither destroys windows nor closes the display through Xlib
    EXPECT_EQ(std::count_if(lines_.begin(), lines_.end(),
                            [](const std::string& l) { return l.find("X connection broke") != std::string::npos; }),
              1);
}

}  // namespace
}  // namespace tessane::x11test
