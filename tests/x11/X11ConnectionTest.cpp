#include "platform/linux/x11/X11DesktopModel.h"
#include "platform/linux/x11/X11ManagerWatch.h"
#include "x11/WithoutWindowManager.h"
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

bool contains(const std::optional<std::vector<XWindowId>>& list, XWindowId w) {
    return list && std::find(list->begin(), list->end(), w) != list->end();
}

class X11ConnectionTest : public X11TestBase {
protected:
    // The steps of KeptGeometryOutlivesOtherWindowsButNotAMoveOfItsFrame: `w` a client moved by
    // the manager, `before` its geometry once the manager is done with it.
    void moveAndSettle(XWindowId w, Rect* before) {
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
        *before = x_->geometry(w)->rootRect;
    }

    // Another client makes, maps and moves a window of its own that bypasses the manager (as
    // menus and our own panels do): what is kept of the client still holds, unasked. Unless the
    // manager moved the client's frame or wrote its client list meanwhile (Metacity under load
    // does both a while after a move): then what was kept goes, rightly.
    void keptThroughABypassingWindow(XWindowId w, const Rect& before) {
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
        const Window menu = XCreateWindow(other, DefaultRootWindow(other), 10, 10, 50, 40, 0, CopyFromParent,
                                          InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
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
    }

    // A window the manager takes in now gets a frame of its own: framing it and moving that
    // frame carry no other client, and its own geometry follows its frame.
    void keptThroughAnotherClientsMove(XWindowId w, const Rect& before) {
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
    }

    // A window of another program's neither framed nor bypassing the manager, there before a connection watched (Xfwm
    // sizes one of its own at every show): its changes leave what is kept, after one question of what it holds.
    void keptThroughAnUnframedWindow(XWindowId w) {
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
    }
};

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
    const std::string name = x_->manager().name().value_or("");
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
    for (int i = 0; i < 1100; ++i) (first ? last : first) = x_->manager().askEcho();
    EXPECT_FALSE(x_->manager().echoed(first));  // nothing is heard before events are handled
    EXPECT_TRUE(waitFor([&] { return x_->manager().echoed(last); }));
    EXPECT_TRUE(x_->manager().echo(10));
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
    ASSERT_TRUE(x_->manager().echo(10));
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
    Rect before;
    ASSERT_NO_FATAL_FAILURE(moveAndSettle(w, &before));
    ASSERT_NO_FATAL_FAILURE(keptThroughABypassingWindow(w, before));
    ASSERT_NO_FATAL_FAILURE(keptThroughAnotherClientsMove(w, before));
    ASSERT_NO_FATAL_FAILURE(keptThroughAnUnframedWindow(w));

    // The manager moves the frame, which carries the client: that is seen.
    x_->requestMoveResize(w, Point{260, 190}, std::nullopt);
    ASSERT_TRUE(x_->windowManagerRoundTrip(5));
    EXPECT_TRUE(waitFor([&] {
        auto g = x_->geometry(w);
        return g && g->rootRect.minX() == before.minX() + 60 && g->rootRect.minY() == before.minY() + 40;
    }));
}

class X11ConnectionDeathTest : public WithoutWindowManager {};

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

    // A window this connection never asked to hear of hears nothing of it: heard of in one round
    // trip, its destruction is heard; gone, it answers badWindow.
    bool destroyed = false;
    auto listening = x_->onEvent([&](const X11Event& e) { destroyed |= e.kind == X11Event::Kind::destroy && e.window == panel; });
    const uint64_t beforeHearing = x_->roundTrips();
    auto interest = x_->hear(panel, X11EventMask::structure);
    EXPECT_TRUE(interest && x_->roundTrips() == beforeHearing + 1) << x_->roundTrips() - beforeHearing << " round trips";
    XDestroyWindow(toolkit, panel);
    XSync(toolkit, False);
    EXPECT_TRUE(waitFor([&] { return x_->processEvents(), destroyed; }));
    EXPECT_EQ(x_->selectInput(panel, X11EventMask::structure).error, X11Status::badWindow);
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
    const auto managerName = x_->manager().name();
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
    EXPECT_EQ(x_->manager().name(), managerName);  // the connection still works
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
